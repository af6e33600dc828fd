#include "albums/TFEditCD.h"
#include "albums/TFNewCD.h"
#include "app/Aplikace.h"

int main(int argc, char** argv) {
    lorvika::Aplikace app(argc, argv);
    // The album forms register here by their form names as they join the program, e.g.
    // app.registr().registruj("FViewCD", [](lorvika::TForm1& h) { return ...; });
    lorvika::registrujTFNewCD(app.registr());
    lorvika::registrujTFEditCD(app.registr());
    return app.spust();
}
