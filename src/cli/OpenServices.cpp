#include "cli/OpenServices.h"

#include <ostream>

#include "store/LangDriver.h"
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
    if (text != gauge_) out_ << text << '\n';
    gauge_ = text;
}

void StreamStatus::ukazatelKonec() {
    gauge_.clear();
}

void reopenQuietly(DatabaseSession& session) {
    try {
        session.OtevriTabulky();
    } catch (const dbf::EngineError&) {
        session.ZavriTabulky();
    }
}

SessionPaths programPaths() {
    SessionPaths p = SessionPaths::program();
    // as the program does at start: the engine configuration exists before any table is opened
    ZajistiKonfiguraciStroje(p.engineConfig);
    return p;
}

}  // namespace lorvika::cli
