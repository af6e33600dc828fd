#pragma once

#include <string>
#include <vector>

// The message service every part of the program shows its dialogs through. The Qt dialog lives
// in the application layer; tests replace it with a scripted fake.
namespace lorvika {

enum class MsgKind { Warning, Error, Information, Confirmation, Custom };

enum class MsgButton { Yes, No, OK, Cancel, Abort, Retry, Ignore, All, NoToAll, YesToAll, Help };

using MsgButtons = std::vector<MsgButton>;

inline const MsgButtons kButtonsOK{MsgButton::OK};
inline const MsgButtons kButtonsYesNo{MsgButton::Yes, MsgButton::No};

enum class Sound { None, Exclamation, CriticalStop, Question, Default };

class Messages {
public:
    virtual ~Messages() = default;
    // Plays the sound (None: silent) and shows the dialog modally; returns the pressed button.
    virtual MsgButton show(const std::string& text, MsgKind kind, const MsgButtons& buttons,
                           Sound sound, int helpContext) = 0;

    // Show message: no sound.
    MsgButton zobraz(const std::string& text, MsgKind kind, const MsgButtons& buttons,
                     int helpContext = 0) {
        return show(text, kind, buttons, Sound::None, helpContext);
    }
    // Show message with beep: the sound of the kind first.
    MsgButton zobrazSPipnutim(const std::string& text, MsgKind kind, const MsgButtons& buttons,
                              int helpContext = 0) {
        return show(text, kind, buttons, soundOf(kind), helpContext);
    }

    static Sound soundOf(MsgKind kind) {
        switch (kind) {
            case MsgKind::Warning: return Sound::Exclamation;
            case MsgKind::Error: return Sound::CriticalStop;
            case MsgKind::Confirmation: return Sound::Question;
            default: return Sound::Default;
        }
    }
};

}  // namespace lorvika
