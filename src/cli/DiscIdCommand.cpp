#include <ostream>
#include <string>
#include <vector>

#include "disc/DiscReport.h"
#include "disc/LibcdioDevice.h"

namespace lorvika::cli {

int runDiscId(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() != 1 || args[0].empty()) {
        err << "Použití: lorvika-db disc-id ZDROJ (mechanika, například /dev/sr0, nebo obraz "
               "disku)\n";
        return 2;
    }
    LibcdioDevice device;
    return writeDiscReport(device, args[0], out, err);
}

}  // namespace lorvika::cli
