#pragma once

#include <QHash>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableView>
#include <functional>
#include <memory>
#include <tuple>

#include "app/ModelKurzoru.h"
#include "app/TFormZaklad.h"

class QPrinter;

namespace lorvika {

class RegistrFormularu;

// The album browser "Prohlížeč AudioCD": one album with its tracks, its other fields, or every
// album as a list, all read-only; fonts and the list layout kept in the program INI file; the
// printed lists in the window's order. The search and removal windows derive from it.
class TFViewCD : public TFZaklData {
    Q_OBJECT
  public:
    explicit TFViewCD(TForm1* hlavni, const QString& jmeno = QStringLiteral("FViewCD"));
    ~TFViewCD() override;

    void FormCreate() override;
    void FormActivate() override;

    // Page change: shows the appearance menu of the page (counted from the last page, so a
    // derived window may put pages in front).
    virtual void PageCChange(int index);
    void PMPageNextClick();
    void PMPagePriorClick();

    // Tracks grid.
    void MVTFMinusClick(int krok);
    void MVTUlozClick();
    // List grid.
    void MVZMinusClick(int krok);
    void MVZUlozClick();
    void MVProhlizClick();
    void MVZhledClick();

    // Print (typ 1..3) and preview; the window is back on the same album afterwards.
    void MTTiskClick(int typ);
    void MTPrevClick(int typ);
    void MTNVelkaPismClick();
    bool velkaPismena() const;

    int fontSkladeb() const;
    int fontSeznamu() const;
    void nastavFontSkladeb(int velikost);
    void nastavFontSeznamu(int velikost);
    // Loads the list grid's appearance from a section and layout file (the window's own, or
    // the browser's).
    void nactiVzhledSeznamu(const QString& sekce);

    // Re-reads the list after the album table's rows changed (filter, order, data).
    void obnovSeznam();
    // The field control showing a column of the album table ("ALBUM", "ZPEV"), or null.
    QLineEdit* polePro(const QString& sloupec) const;

    QTabWidget* PageC;
    QWidget* TSHlavni;
    QWidget* TSVedlejsi;
    QWidget* TSSeznam;
    QTableView* DBSkladby;
    QTableView* DBGSeznam;
    ModelKurzoru* modelSkladeb;
    ModelKurzoru* modelSeznamu;

    QMenu* MVTab;
    QAction* MVTFMinus;
    QAction* MVTFPlus;
    QAction* MVTUloz;
    QMenu* MVZhled;
    QAction* MVZMinus;
    QAction* MVZPlus;
    QAction* MVZUloz;
    QAction* MVProhlizSep;
    QAction* MVProhliz;
    QMenu* MTisk;
    QAction* MT1Tisk;
    QAction* MT1Prev;
    QAction* MT2Tisk;
    QAction* MT2Prev;
    QAction* MT3Tisk;
    QAction* MT3Prev;
    QAction* MTNVelkaPism;
    QAction* PMPageNext;
    QAction* PMPagePrior;

    // Where "tisk" prints: the default printer; null when there is none. Tests print to a file.
    std::function<std::unique_ptr<QPrinter>()> tiskarna;
    // The PDF file "tisk" writes when there is no printer (empty: cancelled); a file dialog
    // unless a test sets it.
    std::function<QString()> souborPdf;
    // Shows the preview of printer modally; kresli paints the pages (again for each request,
    // also when the user prints from the preview).
    std::function<void(QPrinter& printer, const std::function<void(QPrinter*)>& kresli)> nahled;

    // Designed columns of the list grid (field, title).
    static std::vector<SloupecMrizky> sloupceSeznamu();
    static constexpr int kVahySkladeb[5] = {50, 230, 90, 95, 55};

  protected:
    void obnovZobrazeni() override;
    void aktivacePotomka() override;
    void predZavrenimTData() override;
    void predZavrenimTSkladby() override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    // The column widths of the tracks grid from its width.
    void sirkySkladeb();
    // Pages in the window: the search window puts its query page in front of these.
    QWidget* pridejStranku(const QString& nazev, const char* jmeno);
    // Print (false) or preview (true) of report typ 1..3 over the album table as it stands.
    void tiskni(int typ, bool nahledem);
    // After printing: the table open again and on the album it was on before.
    void PoTisk(const dbf::Bookmark& pozice, long long cislo);

  private:
    void sestavHlavni();
    void sestavVedlejsi();
    void sestavSeznam();
    void sestavMenu();
    void zobrazPole();
    void nastavSkladby();
    void vyberRadekSeznamu();
    QLineEdit* pole(QWidget* rodic, const char* sloupec, const QString& napoveda = {});

    QHash<QString, QLineEdit*> pole_;
    // What the list shows: when any of these change, the rows are read again.
    std::tuple<const dbf::Cursor*, std::string, bool, std::uint32_t, std::uint64_t> stavSeznamu_{};
    bool vyberSeZmenil_ = false;
    std::int64_t zobrazeneCD_ = -1;
};

void registrujTFViewCD(RegistrFormularu& registr);

}  // namespace lorvika
