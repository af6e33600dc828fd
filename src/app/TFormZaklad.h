#pragma once

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

#include "app/PohledTabulky.h"
#include "app/Proporce.h"
#include "app/TFVychozi.h"
#include "store/dbf/Cursor.h"

namespace lorvika {

// The base of the album forms: its own cursors on the open database, placement, refresh on
// activation and the remembered album.
class TFormZaklad : public TFVychozi {
    Q_OBJECT
  public:
    TFormZaklad(TForm1* hlavni, const QString& jmeno);
    ~TFormZaklad() override;

    void FormCreate() override;
    void FormActivate() override;
    void FormDeactivate() override;
    void FormClose() override;

    // Opening and closing of the two cursors with the form's bookkeeping.
    void otevriTData();
    void zavriTData();
    void otevriTSkladby();
    void zavriTSkladby();
    // For closing and reopening every table of the program (which: 1 albums, 2 tracks, 0 both).
    void zavriOtevri(bool zavrit, int which);

    // The filter of TData, kept by the form so that it survives the cursor being reopened.
    void nastavFiltr(std::function<bool(const dbf::Cursor&)> filtr);
    void zapniFiltr(bool on);

    // Whatever shows a cursor of the form (a grid model, a helper) registers here: it is given
    // null before the cursor goes and the new cursor after it opened, so nothing keeps a pointer
    // to a closed cursor. which: 1 TData, 2 TSkladby. The registration ends with the owner.
    void sledujKurzor(QObject* vlastnik, int which, std::function<void(dbf::Cursor*)> nastav);

    long long aktualniCislo() const;
    // After a record of TData was deleted: the album count in the status bar.
    void TDataAfterDelete();

    QLabel* Label1;
    std::unique_ptr<dbf::Cursor> TData;
    std::unique_ptr<dbf::Cursor> TSkladby;
    // Tag, range, filter and position of each cursor, kept while it is closed. Set the range
    // here (not on the cursor) so that it survives; tags set on the cursor are taken over.
    PohledTabulky pohledTData{TData};
    PohledTabulky pohledTSkladby{TSkladby};
    bool deaktivace = true;
    bool filtrovanPriOdchodu = false;
    long long zapamatovaneCislo = 0;
    int predavanyKod = 0;

  protected:
    // The descendant's own activation step: acts on predavanyKod and sets it back to 0.
    virtual void aktivacePotomka() { predavanyKod = 0; }
    // After TData opened (the base already went back to the remembered album).
    virtual void poOtevreniTData();
    virtual void poOtevreniTSkladby() {}
    // Before a cursor is destroyed: whatever of the descendant points at it lets go.
    virtual void predZavrenimTData() {}
    virtual void predZavrenimTSkladby() {}
    // The cursors were refreshed or moved; the descendant updates its controls.
    virtual void obnovZobrazeni() {}
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    Proporce proporce_{QSize(632, 413)};

  private:
    struct Sledujici {
        QPointer<QObject> vlastnik;
        int which;
        std::function<void(dbf::Cursor*)> nastav;
    };
    void oznam(int which, dbf::Cursor* kurzor);
    std::vector<Sledujici> sledujici_;
};

// The base of the forms with a data grid: navigation buttons and keys, the menus "&Disk" and
// "&Seřazení" and the album mark.
class TFZaklData : public TFormZaklad {
    Q_OBJECT
  public:
    TFZaklData(TForm1* hlavni, const QString& jmeno);

    void FormCreate() override;
    void FormActivate() override;

    void prvni();
    void predchozi();
    void dalsi();
    void posledni();

    void MKOznacClick();
    void MKPrejitClick();
    void MKPreVybClick();
    void nastavTag(const QString& tag);
    void MSUlozClick();
    void HlNenalezen();
    void DiskAboutToShow();
    void SerazeniAboutToShow();

    QWidget* Panel1;
    QToolButton* Speed1;
    QToolButton* Speed2;
    QToolButton* Speed3;
    QToolButton* Speed4;
    QMenuBar* MMenu;
    QMenu* MDisk;
    QMenu* MSerazeni;
    QMenu* PMenu;
    QAction* akce(const QString& name) const;

  protected:
    void poOtevreniTData() override;
    // The album keys win over an edit box's own use of them (word moves), as menu keys do.
    bool eventFilter(QObject* o, QEvent* e) override;

  private:
    QAction* pridej(QMenu* m, const QString& caption, const QString& name, const QString& hint,
                    const QKeySequence& key);
};

}  // namespace lorvika
