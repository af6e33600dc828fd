#include "about/TFAbout.h"
#include "albums/TFEditCD.h"
#include "albums/TFNewCD.h"
#include "albums/TFPrycCD.h"
#include "app/Aplikace.h"
#include "lending/TFPujCD.h"
#include "lists/TFKonfVyb.h"
#include "search/TFViewCD.h"

int main(int argc, char** argv) {
    lorvika::Aplikace app(argc, argv);
    // The album forms register here by their form names as they join the program, e.g.
    // app.registr().registruj("FViewCD", [](lorvika::TForm1& h) { return ...; });
    lorvika::registrujTFNewCD(app.registr());
    lorvika::registrujTFEditCD(app.registr());
    lorvika::registrujTFPujCD(app.registr());
    lorvika::registrujTFAbout(app.registr());
    lorvika::registrujTFKonfVyb(app.registr());
    lorvika::registrujTFViewCD(app.registr());
    lorvika::registrujTFPrycCD(app.registr());
    return app.spust();
}
