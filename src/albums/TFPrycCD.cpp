#include "albums/TFPrycCD.h"

#include <exception>

#include "app/RegistrFormularu.h"
#include "app/TForm1.h"
#include "export/Sonorek.h"
#include "store/OdstraneniCD.h"

namespace lorvika {

TFPrycCD::TFPrycCD(TForm1* hlavni) : TFViewCD(hlavni, QStringLiteral("FPrycCD")) {
    setWindowTitle(QStringLiteral("Odstranění AudioCD"));
    Label1->setText(QStringLiteral("Odstranění AudioCD"));
    BOK->setVisible(true);
    MTisk->menuAction()->setVisible(false);
}

namespace {
constexpr const char* kZadneCD = "V databázi není žádné AudioCD k odstranění.";
}

void TFPrycCD::FormCreate() {
    TFViewCD::FormCreate();
    const bool alba = TData && !TData->isEmpty();
    BOK->setEnabled(alba);
    if (TData && !alba) hlavni()->zpravy().zobraz(kZadneCD, MsgKind::Information, kButtonsOK);
}

void TFPrycCD::BOKClick() {
    if (!TData || !TSkladby) return;
    if (aktualniCislo() == 0) {
        hlavni()->zpravy().zobraz(kZadneCD, MsgKind::Information, kButtonsOK);
        return;
    }
    if (hlavni()->zpravy().zobrazSPipnutim("Opravdu odstranit zobrazené AudioCD z databáze?",
                                           MsgKind::Confirmation, kButtonsYesNo) != MsgButton::Yes)
        return;
    OdstraneniCD o;
    o.cislo = aktualniCislo();
    const std::string sn = TData->text("SN");
    std::exception_ptr chybaSouboru;
    {
        // The grids let go of the rows while they disappear and read them again afterwards,
        // also when the removal fails part-way.
        struct Obnova {
            TFPrycCD& f;
            ~Obnova() { f.obnovSeznam(); }
        } obnova{*this};
        predZavrenimTSkladby();
        modelSeznamu->setKurzor(nullptr);
        OdstranCD(hlavni()->session().engine(), hlavni()->session().adresar(), *TData, o);
        // The player file goes once the album is gone, by the rule the edit save follows; a file
        // left behind is reported, and the next opening removes it.
        try {
            OdstranTxtCD(sn, *TData, hlavni()->session().adresarTXT());
        } catch (const SonorekError&) {
            chybaSouboru = std::current_exception();
        }
    }
    if (TData->isEmpty()) {
        zavri();
    } else {
        hlavni()->ObnovaFormularu(1);
        hlavni()->PocetCD(1, TData->recordCount());
    }
    if (chybaSouboru) std::rethrow_exception(chybaSouboru);
}

void registrujTFPrycCD(RegistrFormularu& registr) {
    registr.registruj(QStringLiteral("FPrycCD"), [](TForm1& h) -> std::unique_ptr<TFVychozi> {
        return std::make_unique<TFPrycCD>(&h);
    });
}

}  // namespace lorvika
