#include "app/Zastupci.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>
#include <system_error>

#include "store/dbf/Files.h"

namespace lorvika {

namespace {

QString dataHome() {
    const QString env = qEnvironmentVariable("XDG_DATA_HOME");
    return env.isEmpty() ? QDir::homePath() + QStringLiteral("/.local/share") : env;
}

QString configHome() {
    const QString env = qEnvironmentVariable("XDG_CONFIG_HOME");
    return env.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : env;
}

// The item's path without its last two components.
QString oUrovenVys(const QString& cesta) {
    QDir d = QFileInfo(cesta).absoluteDir();
    d.cdUp();
    return d.absolutePath();
}

// A companion program: the Windows file name, or the same name without ".exe".
QString najdi(const QString& programDir, const QString& soubor) {
    const QString plna = programDir + u'/' + soubor;
    if (QFileInfo::exists(plna)) return plna;
    if (soubor.endsWith(QStringLiteral(".exe"))) {
        const QString bez = plna.chopped(4);
        if (QFileInfo(bez).isExecutable()) return bez;
    }
    return {};
}

QString idOf(const QString& jmeno) {
    QString id = jmeno.toLower();
    id.replace(QStringLiteral("í"), QStringLiteral("i"));
    id.replace(QStringLiteral("á"), QStringLiteral("a"));
    id.replace(QStringLiteral("ě"), QStringLiteral("e"));
    return QStringLiteral("lorvika-") + id;
}

QString uvozovky(const QString& s) {
    QString t = s;
    t.replace(u'\\', QStringLiteral("\\\\"));
    t.replace(u'"', QStringLiteral("\\\""));
    return u'"' + t + u'"';
}

void zapis(const QString& soubor, const QByteArray& obsah) {
    QDir().mkpath(QFileInfo(soubor).absolutePath());
    try {
        dbf::ReplacementFile f(soubor.toStdString());
        f.write(obsah.constData(), static_cast<std::size_t>(obsah.size()));
        f.commit();
    } catch (const std::system_error& e) {
        throw std::runtime_error("Nelze zapsat soubor " + soubor.toStdString() + ": " +
                                 e.code().message());
    }
}

}  // namespace

QList<Zastupce> seznamZastupcu(const QString& programDir, const QString& program) {
    QList<Zastupce> out;
    out.append({QStringLiteral("Lorvika"), program, oUrovenVys(program)});
    const struct {
        const char* jmeno;
        const char* soubor;
    } dalsi[] = {
        {"Popis", "popis.txt"}, {"Sonorek", "sonorek.exe"}, {"Sonorek-nastavení", "sonsetup.exe"}};
    for (const auto& d : dalsi) {
        const QString cesta = najdi(programDir, QString::fromUtf8(d.soubor));
        if (!cesta.isEmpty()) out.append({QString::fromUtf8(d.jmeno), cesta, oUrovenVys(cesta)});
    }
    return out;
}

QStringList vytvorZastupce(const QString& programDir, const QString& program) {
    QStringList zapsane;
    const QString apps = dataHome() + QStringLiteral("/applications/");
    QByteArray menu =
        "<!DOCTYPE Menu PUBLIC \"-//freedesktop//DTD Menu 1.0//EN\"\n"
        " \"http://www.freedesktop.org/standards/menu-spec/menu-1.0.dtd\">\n"
        "<Menu>\n  <Name>Applications</Name>\n  <Menu>\n    <Name>Lorvika</Name>\n"
        "    <Directory>lorvika-lorvika.directory</Directory>\n    <Include>\n";
    for (const Zastupce& z : seznamZastupcu(programDir, program)) {
        const bool spustitelny = QFileInfo(z.cesta).isExecutable() &&
                                 !z.cesta.endsWith(QStringLiteral(".txt")) &&
                                 !z.cesta.endsWith(QStringLiteral(".exe"));
        const QString exec =
            spustitelny ? uvozovky(z.cesta) : QStringLiteral("xdg-open ") + uvozovky(z.cesta);
        QByteArray d = "[Desktop Entry]\nType=Application\nVersion=1.0\n";
        d += "Name=" + z.jmeno.toUtf8() + "\n";
        d += "Exec=" + exec.toUtf8() + "\n";
        d += "Path=" + z.pracovni.toUtf8() + "\n";
        d += "Terminal=false\nCategories=AudioVideo;Audio;\n";
        const QString soubor = apps + idOf(z.jmeno) + QStringLiteral(".desktop");
        zapis(soubor, d);
        zapsane.append(soubor);
        menu += "      <Filename>" + QFileInfo(soubor).fileName().toUtf8() + "</Filename>\n";
    }
    menu += "    </Include>\n  </Menu>\n</Menu>\n";
    const QString dir =
        dataHome() + QStringLiteral("/desktop-directories/lorvika-lorvika.directory");
    zapis(dir, "[Desktop Entry]\nType=Directory\nName=Lorvika\n");
    zapsane.append(dir);
    const QString menuSoubor =
        configHome() + QStringLiteral("/menus/applications-merged/lorvika-lorvika.menu");
    zapis(menuSoubor, menu);
    zapsane.append(menuSoubor);
    return zapsane;
}

}  // namespace lorvika
