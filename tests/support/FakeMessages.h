#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "store/Messages.h"

namespace lorvika::test {

// A message service that answers from a script and records every message it was shown. A
// message the script does not expect, or one that differs from what the script expects, fails
// the running test; so does a scripted message that never came.
class FakeMessages : public Messages {
  public:
    struct Shown {
        std::string text;
        MsgKind kind;
        MsgButtons buttons;
        Sound sound;
    };
    struct Expected {
        std::string text;
        MsgButton answer = MsgButton::OK;
        std::optional<MsgKind> kind;
        std::optional<MsgButtons> buttons;
        std::optional<Sound> sound;
    };

    FakeMessages() = default;
    FakeMessages(const FakeMessages&) = delete;
    FakeMessages& operator=(const FakeMessages&) = delete;
    ~FakeMessages() override {
        for (const Expected& e : script_) ADD_FAILURE() << "message never shown: " << e.text;
    }

    // Expects exactly this text next and presses answer.
    FakeMessages& expect(std::string text, MsgButton answer = MsgButton::OK) {
        script_.push_back({std::move(text), answer, {}, {}, {}});
        return *this;
    }
    // Expects the text together with its kind, buttons and sound.
    FakeMessages& expect(std::string text, MsgKind kind, const MsgButtons& buttons, Sound sound,
                         MsgButton answer) {
        script_.push_back({std::move(text), answer, kind, buttons, sound});
        return *this;
    }

    MsgButton show(const std::string& text, MsgKind kind, const MsgButtons& buttons, Sound sound,
                   int /*helpContext*/) override {
        shown_.push_back({text, kind, buttons, sound});
        if (script_.empty()) {
            ADD_FAILURE() << "unexpected message: " << text;
            return safeAnswer(buttons);
        }
        Expected e = std::move(script_.front());
        script_.pop_front();
        EXPECT_EQ(e.text, text);
        if (e.kind) {
            EXPECT_EQ(static_cast<int>(*e.kind), static_cast<int>(kind)) << "kind of: " << text;
        }
        if (e.buttons) {
            EXPECT_TRUE(*e.buttons == buttons) << "buttons of: " << text;
        }
        if (e.sound) {
            EXPECT_EQ(static_cast<int>(*e.sound), static_cast<int>(sound)) << "sound of: " << text;
        }
        return e.answer;
    }

    const std::vector<Shown>& shown() const { return shown_; }
    bool scriptDone() const { return script_.empty(); }

  private:
    static MsgButton safeAnswer(const MsgButtons& buttons) {
        for (MsgButton b : buttons)
            if (b == MsgButton::No || b == MsgButton::Cancel) return b;
        return buttons.empty() ? MsgButton::OK : buttons.front();
    }

    std::deque<Expected> script_;
    std::vector<Shown> shown_;
};

}  // namespace lorvika::test
