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
constexpr const char* kStoreFailed = "로컬(Sqlite) 데이터 접속실패";
constexpr const char* kAlreadyRunning = "Pelmora가 이미 실행 중입니다. 실행 중인 창을 사용해 주십시오.";
constexpr const char* kRunningTitle = "실행중";
constexpr const char* kSecurityTitle = "보안";
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
    instance.release();
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

// The store part of the start: one running copy per root, the store opened
// with what is wrong said in Korean, and a store others could read made
// owner-only.
bool OpenStore(const std::filesystem::path& root, ProcessObjects& objects, std::ostream& log) {
    const auto data = ReferenceFiles::dataFolder(root);
    switch (objects.instance.acquire(data / "Pelmo.db.lock")) {
    case InstanceLock::Result::Acquired:
        break;
    case InstanceLock::Result::HeldByOther:
        log << "pelmora: " << kAlreadyRunning << " (" << root.string() << ")\n";
        messages().information(kAlreadyRunning, kRunningTitle);
        return false;
    case InstanceLock::Result::Failed:
        // Without a lock file the store itself says what is wrong below.
        log << "pelmora: 실행 잠금 파일을 만들 수 없습니다: " << objects.instance.detail() << "\n";
        break;
    }

    const std::string store = (data / "Pelmo.db").string();
    StoreOpenReport report;
    if (!OpenLocalStore(objects.CnSqlite, store, &report)) {
        const std::string cause = StoreProblemText(report.problem);
        log << "pelmora: " << store << ": " << cause;
        if (!report.detail.empty()) log << " (" << report.detail << ")";
        log << "\n";
        messages().information(std::string(kStoreFailed) + "\r\n\r\n" + cause + "\r\n" + store,
                               kConnectTitle);
        objects.instance.release();
        return false;
    }
    if (report.permissionsTightened) {
        const std::string text =
            "다른 사용자도 읽을 수 있던 저장소 파일을 소유자만 읽고 쓸 수 있도록 바꾸었습니다."
            "\r\n(주민등록번호가 들어 있는 파일입니다.)\r\n" +
            store;
        log << "pelmora: " << store
            << ": 다른 사용자가 읽을 수 없도록 권한을 소유자 전용으로 바꾸었습니다.\n";
        messages().information(text, kSecurityTitle);
    }
    return true;
}

bool RunStartUp(const StartOptions& options, ProcessObjects& objects, std::ostream& log,
                const LinkProgressFn& progress) {
    objects.root = options.root;
    std::error_code ec;
    std::filesystem::create_directory(options.root, ec);
    std::filesystem::create_directory(ReferenceFiles::dataFolder(options.root), ec);

    if (!OpenStore(options.root, objects, log)) return false;

    KvAdo ado;
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
