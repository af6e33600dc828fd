#include "about/TFAbout.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QVBoxLayout>

#include "app/QtSluzby.h"
#include "app/TForm1.h"
#include "store/Verze.h"

namespace lorvika {

namespace {

const QString kNevyplneno = QStringLiteral("- - -");

QLabel* hodnota(QWidget* rodic, const char* jmeno) {
    auto* l = new QLabel(kNevyplneno, rodic);
    l->setObjectName(QString::fromLatin1(jmeno));
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QLineEdit* radek(QWidget* rodic, const char* jmeno, const char* text) {
    auto* e = new QLineEdit(QString::fromUtf8(text), rodic);
    e->setObjectName(QString::fromLatin1(jmeno));
    e->setReadOnly(true);
    e->setFrame(false);
    e->setAlignment(Qt::AlignCenter);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, Qt::transparent);
    e->setPalette(p);
    return e;
}

}  // namespace

TFMAbout::TFMAbout(TForm1* hlavni, std::optional<VerzniZdroj> zdroj, QWidget* parent)
    : TFVychozi(hlavni, QStringLiteral("FAbout"), parent ? parent : hlavni),
      zdroj_(std::move(zdroj)) {
    // Fixed dialog border without border icons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setModal(true);
    for (QPushButton* b : {BOK, BCancel, BHelp}) b->setVisible(false);
    BOK->setDefault(false);

    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Image1 = new QLabel(Panel1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    Label1 = hodnota(Panel1, "Label1");
    Label2 = hodnota(Panel1, "Label2");
    Label2->setWordWrap(true);
    Label2->setMinimumWidth(220);
    Label3 = hodnota(Panel1, "Label3");
    Label4 = hodnota(Panel1, "Label4");
    Label5 = hodnota(Panel1, "Label5");
    auto* mrizka = new QGridLayout;
    const std::pair<const char*, QLabel*> radky[] = {{"Název:", Label1},
                                                     {"Popis", Label2},
                                                     {"Verze:", Label3},
                                                     {"Výrobce:", Label4},
                                                     {"Autorské právo:", Label5}};
    int r = 0;
    for (const auto& [titulek, l] : radky) {
        mrizka->addWidget(new QLabel(QString::fromUtf8(titulek), Panel1), r, 0,
                          Qt::AlignTop | Qt::AlignLeft);
        mrizka->addWidget(l, r, 1);
        ++r;
    }
    mrizka->setColumnStretch(1, 1);
    auto* p = new QHBoxLayout(Panel1);
    p->addWidget(Image1);
    p->addSpacing(12);
    p->addLayout(mrizka, 1);

    Button1 = new QPushButton(QStringLiteral("O.K."), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { ButtonOKClick(); });

    auto* l = new QVBoxLayout(this);
    l->addWidget(Panel1);
    auto* tl = new QHBoxLayout;
    tl->addStretch();
    tl->addWidget(Button1);
    tl->addStretch();
    l->addLayout(tl);
    l->setSizeConstraint(QLayout::SetFixedSize);
}

void TFMAbout::FormCreate() {
    setWindowTitle(QStringLiteral("About %1 %2")
                       .arg(QString::fromUtf8(verze::kNazevProduktu),
                            QString::fromUtf8(verze::kVerzeProduktu)));
    const VerzniZdroj prazdny;
    const VerzniZdroj& z = zdroj_ ? *zdroj_ : prazdny;
    Label1->setText(QString::fromStdString(CtiRetezec(z, "ProductName")));
    Label2->setText(QString::fromStdString(CtiRetezec(z, "FileDescription")));
    Label3->setText(QString::fromStdString(TextVerze(z)));
    Label4->setText(QString::fromStdString(CtiRetezec(z, "CompanyName")));
    Label5->setText(QString::fromStdString(CtiRetezec(z, "LegalCopyright")));

    // The program's icon (32 pixels, as in a window's title) at twice that size; the icon
    // has a picture of its own for 64 pixels, sharper than one stretched.
    const QSize velikost = QSize(32, 32) * 2;
    const QPixmap obraz = QApplication::windowIcon().pixmap(velikost);
    Image1->setPixmap(obraz.size() == velikost ? obraz
                                               : obraz.scaled(velikost, Qt::IgnoreAspectRatio,
                                                              Qt::SmoothTransformation));
    Image1->setFixedSize(velikost);

    adjustSize();
    if (hlavni()) move(stredNaOkne(hlavni()->frameGeometry(), frameGeometry().size()));
}

TFAbout::TFAbout(TForm1* hlavni, std::optional<VerzniZdroj> zdroj, QWidget* parent)
    : TFMAbout(hlavni, std::move(zdroj), parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    EWeb = radek(this, "EWeb", verze::kWeb);
    EMail = radek(this, "EMail", verze::kEmail);
    auto* l = static_cast<QVBoxLayout*>(layout());
    l->insertWidget(1, EWeb);
    l->insertWidget(2, EMail);
}

void registrujTFAbout(RegistrFormularu& registr) {
    registr.registruj(QStringLiteral("FAbout"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFAbout>(&h);
    });
}

}  // namespace lorvika
