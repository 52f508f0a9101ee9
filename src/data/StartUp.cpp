#include "StartUp.h"

#include "LocalStore.h"
#include "ReferenceFiles.h"
#include "Settings.h"
#include "util/Messages.h"

#include <cstdlib>
#include <ostream>
#include <stdexcept>

namespace pelmora {

namespace {
constexpr const char* kWebDatabase = "DB_WebTOLA";
constexpr const char* kConnectTitle = "접속실패";
} // namespace

bool ProcessObjects::LocalMode() const {
    if (!localMode_) throw std::logic_error("LocalMode read before the start-up chose it");
    return *localMode_;
}

void ProcessObjects::setLocalMode(bool local) {
    if (localMode_) throw std::logic_error("LocalMode is set once per run");
    localMode_ = local;
}

RefConnection& ProcessObjects::reference() {
    if (LocalMode()) {
        if (!CnMdb) throw DbError(dberr::kObjectClosed, "로컬 참조 자료가 닫혀 있습니다.");
        return CnMdb->connection();
    }
    if (!CnWeb) throw DbError(dberr::kObjectClosed, "서버 연결이 닫혀 있습니다.");
    return *CnWeb;
}

void ProcessObjects::release() {
    CnMdb.reset();
    if (CnWeb) CnWeb->Close();
    CnWeb.reset();
    CnSqlite.reset();
}

ProcessObjects& processObjects() {
    static ProcessObjects objects;
    return objects;
}

std::filesystem::path defaultRoot() {
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : ".") / "Corvane";
}

std::optional<StartOptions> parseStartOptions(int argc, const char* const* argv) {
    StartOptions o{defaultRoot()};
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--root") {
            if (i + 1 >= argc || std::string(argv[i + 1]).empty()) return std::nullopt;
            o.root = argv[++i];
            o.rootGiven = true;
        } else if (a.rfind("--root=", 0) == 0) {
            if (a.size() == 7) return std::nullopt;
            o.root = a.substr(7);
            o.rootGiven = true;
        }
    }
    return o;
}

bool RunStartUp(const StartOptions& options, ProcessObjects& objects, std::ostream& log,
                const LinkProgressFn& progress) {
    objects.root = options.root;
    std::error_code ec;
    std::filesystem::create_directory(options.root, ec);
    std::filesystem::create_directory(ReferenceFiles::dataFolder(options.root), ec);

    KvAdo ado;
    auto store = (ReferenceFiles::dataFolder(options.root) / "Pelmo.db").string();
    if (!OpenLocalStore(objects.CnSqlite, store)) {
        messages().information("로컬(Sqlite) 데이터 접속실패", kConnectTitle);
        return false;
    }

    Settings settings =
        Settings::load((ReferenceFiles::dataFolder(options.root) / "Pelmora.ini").string(), log);
    if (settings.serverConfigured()) {
        ado.LoginTimeOut = settings.loginTimeout;
        ado.ServerPort = settings.port;
        ado.TdsVersion = settings.tdsVersion;
        if (ado.DBConnection_SQL(objects.CnWeb, settings.host, kWebDatabase, settings.login,
                                 settings.password, 1, 0, 0)) {
            objects.setLocalMode(false);
            return true;
        }
        // The details are the maintainer's, not the pharmacist's.
        log << "central server " << settings.host << ":" << settings.port << ": " << ado.ErrDB << " "
            << ado.ErrDes << "\n";
        messages().information("웹 데이터 접속실패\r\n\r\nMDB 로컬 데이터에 접속", kConnectTitle);
    } else {
        log << "Pelmora.ini에 중앙 서버가 없어 로컬 참조 자료로 시작합니다.\n";
    }
    objects.CnWeb.reset();

    std::string why;
    if (!ConnectLocalMdb(options.root, objects.CnMdb, &why, progress)) {
        // The cause names the file and what is wrong with it.
        if (!why.empty()) log << "local reference data: " << why << "\n";
        messages().information("MDB 로컬 데이터 접속실패" + (why.empty() ? std::string() : "\r\n\r\n" + why),
                               kConnectTitle);
        return false;
    }
    objects.setLocalMode(true);
    return true;
}

} // namespace pelmora
