#include "cli/OpenServices.h"

#include <ostream>

#include "export/Zaloha.h"
#include "store/dbf/EngineError.h"

namespace lorvika::cli {

namespace {

std::string lines(std::string text) {
    for (char& c : text) {
        if (c == '\r') c = '\n';
    }
    return text;
}

}  // namespace

MsgButton StreamMessages::show(const std::string& text, MsgKind, const MsgButtons& buttons, Sound,
                               int) {
    ++count_;
    err_ << lines(text) << '\n';
    for (MsgButton b : buttons) {
        if (b == MsgButton::No) {
            err_ << "-> Ne\n";
            return b;
        }
    }
    return buttons.empty() ? MsgButton::OK : buttons.front();
}

void StreamStatus::stavovyText(const std::string& text) {
    if (!text.empty()) out_ << text << '\n';
}

void StreamStatus::ukazatel(const std::string& text, int) {
    out_ << text << '\n';
}

bool SessionArchive::zalohuj(const std::string& directory) {
    return run(directory, true);
}

bool SessionArchive::rozbal(const std::string& directory) {
    return run(directory, false);
}

bool SessionArchive::run(const std::string& directory, bool backup) {
    ZalohaRizeni r;
    r.zavriTabulky = [this] {
        if (session_) session_->ZavriTabulky();
    };
    r.otevriTabulky = [this] {
        if (!session_) return;
        try {
            session_->OtevriTabulky();
        } catch (const dbf::EngineError& e) {
            // the caller sees the tables closed and reports it
            reopenError_ = e.what();
        }
    };
    r.merakZacni = [this](const std::string& text) { status_.ukazatel(text, 0); };
    r.merakKonec = [this] { status_.ukazatelKonec(); };
    reopenError_.clear();
    VysledekZalohy v = backup ? Zalohuj(directory, r) : Rozbal(directory, r);
    lastError_ = v.chyba;
    return v.ok;
}

SessionPaths programPaths() {
    return SessionPaths::program();
}

}  // namespace lorvika::cli
