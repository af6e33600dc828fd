#include "app/QtSluzby.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

namespace lorvika {

QPoint stredNaOkne(const QRect& okno, const QSize& dialog) {
    return {okno.left() + (okno.width() - dialog.width()) / 2,
            okno.top() + (okno.height() - dialog.height()) / 2};
}

QString textTlacitka(MsgButton button) {
    switch (button) {
        case MsgButton::Yes:
            return QStringLiteral("Ano");
        case MsgButton::No:
            return QStringLiteral("Ne");
        case MsgButton::OK:
            return QStringLiteral("OK");
        case MsgButton::Cancel:
            return QStringLiteral("Zrušit");
        case MsgButton::Abort:
            return QStringLiteral("Přerušit");
        case MsgButton::Retry:
            return QStringLiteral("Opakovat");
        case MsgButton::Ignore:
            return QStringLiteral("Ignorovat");
        case MsgButton::All:
            return QStringLiteral("Vše");
        case MsgButton::NoToAll:
            return QStringLiteral("Ne všem");
        case MsgButton::YesToAll:
            return QStringLiteral("Ano všem");
        case MsgButton::Help:
            return QStringLiteral("Nápověda");
    }
    return {};
}

namespace {

QMessageBox::ButtonRole roleOf(MsgButton b) {
    switch (b) {
        case MsgButton::Yes:
        case MsgButton::YesToAll:
            return QMessageBox::YesRole;
        case MsgButton::No:
        case MsgButton::NoToAll:
            return QMessageBox::NoRole;
        case MsgButton::Cancel:
        case MsgButton::Abort:
            return QMessageBox::RejectRole;
        case MsgButton::Help:
            return QMessageBox::HelpRole;
        default:
            return QMessageBox::AcceptRole;
    }
}

QMessageBox::Icon iconOf(MsgKind kind) {
    switch (kind) {
        case MsgKind::Warning:
            return QMessageBox::Warning;
        case MsgKind::Error:
            return QMessageBox::Critical;
        case MsgKind::Information:
            return QMessageBox::Information;
        case MsgKind::Confirmation:
            return QMessageBox::Question;
        case MsgKind::Custom:
            return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MsgButton QtMessages::show(const std::string& text, MsgKind kind, const MsgButtons& buttons,
                           Sound sound, int /*helpContext*/) {
    if (sound != Sound::None) {
        if (pipni)
            pipni(sound);
        else
            QApplication::beep();
    }
    QWidget* aktivni = QApplication::activeWindow();
    QMessageBox box(aktivni ? aktivni : hlavni_.data());
    box.setWindowTitle(QApplication::applicationName());
    box.setIcon(iconOf(kind));
    QString t = QString::fromStdString(text);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box.setText(t);
    const MsgButtons pouzita = buttons.empty() ? kButtonsOK : buttons;
    std::vector<std::pair<QAbstractButton*, MsgButton>> mapa;
    QAbstractButton* escape = nullptr;
    for (MsgButton b : pouzita) {
        QPushButton* pb = box.addButton(textTlacitka(b), roleOf(b));
        pb->setObjectName(QStringLiteral("msg_") + textTlacitka(b));
        mapa.emplace_back(pb, b);
        if (b == MsgButton::No || b == MsgButton::Cancel || (!escape && b == MsgButton::OK))
            escape = pb;
    }
    box.setDefaultButton(qobject_cast<QPushButton*>(mapa.front().first));
    box.setEscapeButton(escape ? escape : mapa.back().first);
    // An active child window lives inside the main window, so the box is centred on the frame;
    // another top-level window (a modal dialog) gets the box centred on itself.
    if (aktivni) {
        box.adjustSize();
        box.move(stredNaOkne(aktivni->frameGeometry(), box.frameGeometry().size()));
    }
    box.exec();
    QAbstractButton* stisk = box.clickedButton();
    for (const auto& [button, kod] : mapa)
        if (button == stisk) return kod;
    return pouzita.size() == 1 ? pouzita.front() : MsgButton::Cancel;
}

std::optional<std::string> QtDialogs::chooseDirectory(const std::string& start, bool allowCreate) {
    QFileDialog dlg(parent_.data(), QStringLiteral("Výběr adresáře databáze"),
                    QString::fromStdString(start));
    dlg.setFileMode(QFileDialog::Directory);
    dlg.setOption(QFileDialog::ShowDirsOnly, true);
    dlg.setOption(QFileDialog::ReadOnly, !allowCreate);
    dlg.setLabelText(QFileDialog::Accept, QStringLiteral("OK"));
    dlg.setLabelText(QFileDialog::Reject, QStringLiteral("Zrušit"));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dlg.selectedFiles().front()).toStdString();
}

}  // namespace lorvika
