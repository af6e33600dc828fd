#pragma once

#include <functional>
#include <string>

#include "store/DatabaseSession.h"

// The session's archive service on top of Zalohuj and Rozbal: the gauge goes to the status bar,
// the closing and reopening of every table of the program is handed in by the main window.
namespace lorvika {

class ZipArchiv : public Archive {
  public:
    ZipArchiv(StatusLine& status, std::function<void()> zavriTabulky,
              std::function<void()> otevriTabulky);

    bool zalohuj(const std::string& directory) override;
    bool rozbal(const std::string& directory) override;
    bool uschovej(const std::string& directory, const std::string& archiveName) override;

    // The reason of the last failure, empty after a success.
    const std::string& posledniChyba() const { return chyba_; }

  private:
    bool proved(bool zaloha, const std::string& directory);

    StatusLine& status_;
    std::function<void()> zavri_;
    std::function<void()> otevri_;
    std::string chyba_;
};

}  // namespace lorvika
