#include "ModMain.h"

#include "QtMessage.h"
#include "frmMain.h"
#include "data/LinkDatabase.h"
#include "data/LocalStore.h"
#include "data/ReferenceFiles.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QStyleFactory>

#include <filesystem>
#include <memory>

namespace pelmora {

void ApplyAppLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    QFont f(QStringLiteral("NanumGothic"), 9);
    f.setFamilies({QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic"), QStringLiteral("Noto Sans CJK KR")});
    app.setFont(f);
}

QString RootFromArguments(const QStringList& args) {
    const int i = static_cast<int>(args.indexOf(QStringLiteral("--root")));
    if (i >= 0 && i + 1 < args.size()) return args[i + 1];
    return QDir::homePath() + QStringLiteral("/Corvane");
}

// Local mode: the central server needs settings this start does not read yet,
// so the reference data comes from the link database over the six files.
int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    ApplyAppLook(app);
    QtMessage boxes;
    setMessages(&boxes);
    const std::filesystem::path root = RootFromArguments(app.arguments()).toStdString();
    std::error_code ec;
    std::filesystem::create_directories(ReferenceFiles::dataFolder(root), ec);

    std::unique_ptr<SqliteConnection> store;
    if (!OpenLocalStore(store, (ReferenceFiles::dataFolder(root) / "Pelmo.db").string())) {
        messages().information("로컬(Sqlite) 데이터 접속실패", "접속실패");
        setMessages(nullptr);
        return 1;
    }
    bool allFiles = true;
    for (std::size_t i = 0; i < ReferenceFiles::kCount; ++i)
        allFiles = std::filesystem::exists(ReferenceFiles::file(root, i)) && allFiles;
    std::unique_ptr<LinkDatabase> link;
    try {
        if (!allFiles) messages().plain("로컬 연결에 필요한 MDB데이터를 찾을수 없습니다.", kAppTitle);
        else link = LinkDatabase::rebuild(root);
    } catch (const RuntimeError&) {
        link.reset();
    }
    if (!link) {
        messages().information("MDB 로컬 데이터 접속실패", "접속실패");
        setMessages(nullptr);
        return 1;
    }
    int rc = 0;
    {
        frmMain window(link->connection(), true);
        window.show();
        rc = app.exec();
    }
    setMessages(nullptr);
    return rc;
}

} // namespace pelmora
