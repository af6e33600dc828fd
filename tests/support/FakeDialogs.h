#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "store/DatabaseSession.h"

namespace lorvika::test {

// Directory dialogs answered from a script; every call is recorded. A call the script does not
// expect fails the running test and is answered as cancelled.
class FakeDialogs : public Dialogs {
  public:
    struct Call {
        std::string start;
        bool allowCreate;
    };

    FakeDialogs() = default;
    FakeDialogs(const FakeDialogs&) = delete;
    FakeDialogs& operator=(const FakeDialogs&) = delete;
    ~FakeDialogs() override {
        if (!script_.empty()) ADD_FAILURE() << script_.size() << " directory dialog(s) never shown";
    }

    // The next dialog ends with this directory (nothing: cancelled).
    FakeDialogs& answer(std::optional<std::string> directory) {
        script_.push_back(std::move(directory));
        return *this;
    }

    std::optional<std::string> chooseDirectory(const std::string& start,
                                               bool allowCreate) override {
        calls_.push_back({start, allowCreate});
        if (script_.empty()) {
            ADD_FAILURE() << "unexpected directory dialog at " << start;
            return std::nullopt;
        }
        std::optional<std::string> a = std::move(script_.front());
        script_.pop_front();
        return a;
    }

    const std::vector<Call>& calls() const { return calls_; }

  private:
    std::deque<std::optional<std::string>> script_;
    std::vector<Call> calls_;
};

}  // namespace lorvika::test
