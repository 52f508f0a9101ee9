#include "ModMain.h"

#include "QtMessage.h"
#include "data/StartUp.h"
#include "frmMain.h"
#include "frmProgress.h"
#include "util/CommandLine.h"
#include "util/Messages.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QStyleFactory>
#include <QTimer>
#include <QTranslator>

#include <iostream>

namespace pelmora {

void ApplyAppLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    QFont f(QStringLiteral("NanumGothic"), 9);
    f.setFamilies({QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic"),
                   QStringLiteral("Noto Sans CJK KR")});
    app.setFont(f);
    // Qt's own words (예/아니요 in the message boxes, the file dialog) in
    // Korean, when the translations are installed; English otherwise.
    auto* qtWords = new QTranslator(&app);
    if (qtWords->load(QLocale(QLocale::Korean, QLocale::SouthKorea), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtWords);
    else
        delete qtWords;
}

namespace {
// The first argument that is not the program's own, once Qt took its own
// options (-platform, -style, ...) away; empty when there is none.
QString unknownArgument(const QStringList& args) {
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == u"--root")
            ++i;
        else if (!args[i].startsWith(u"--root=") && args[i] != u"--choose-root")
            return args[i];
    }
    return {};
}
} // namespace

int Main(int argc, char** argv, const CommandLine& cli, const RootMakers& makers) {
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pelmora.Pelmora"));
    auto options = parseStartOptions(argc, argv);
    if (!options) return cli.usageError("--root needs a folder");
    if (const QString bad = unknownArgument(app.arguments()); !bad.isEmpty())
        return cli.usageError("unknown argument " + bad.toStdString());
    ApplyAppLook(app);
    QtMessage boxes;
    setMessages(&boxes);
    ProcessObjects& objects = processObjects();
    int rc = 1;
    const bool chooseAgain = app.arguments().contains(u"--choose-root");
    bool started = false;
    if (PrepareStartRoot(*options, chooseAgain, makers, std::cerr)) {
        // A build of the link database stands in a progress window.
        LinkProgressWindow progress;
        started = RunStartUp(*options, objects, std::cerr, progress.function());
        // A central server was set but did not answer, and the files are missing.
        while (!started && !objects.modeChosen() && OfferStartRoot(*options, makers)) {
            objects.release();
            started = RunStartUp(*options, objects, std::cerr, progress.function());
        }
    }
    if (started) {
        frmMain window(objects.reference(), objects.LocalMode());
        window.setStore(objects.CnSqlite.get());
        window.show();
        QTimer::singleShot(0, &window, [&window] { window.offerDrugList(); });
        rc = app.exec();
    }
    objects.release();
    setMessages(nullptr);
    return rc;
}

namespace {
int generation = 0;
}

int ReferenceGeneration() { return generation; }

void RefreshLocalMdb(QWidget* parent) {
    static bool running = false;
    ProcessObjects& objects = processObjects();
    if (running || !objects.CnMdb || !objects.CnMdb->stale()) return;
    running = true;
    std::string why;
    LinkDatabase::Refresh outcome;
    {
        LinkProgressWindow progress(parent);
        outcome = objects.CnMdb->refresh(progress.function(), &why);
    }
    running = false;
    if (outcome == LinkDatabase::Refresh::Rebuilt) ++generation;
    if (outcome != LinkDatabase::Refresh::Failed) return;
    std::cerr << "pelmora: " << why << "\n";
    messages().information("참조 자료가 바뀌었으나 새로 읽지 못해 이전 자료로 계속합니다.\r\n\r\n" + why,
                           kAppTitle);
}

} // namespace pelmora
