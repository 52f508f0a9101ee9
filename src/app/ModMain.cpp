#include "ModMain.h"

#include "QtMessage.h"
#include "frmMain.h"
#include "data/StartUp.h"
#include "util/Messages.h"

#include <QApplication>
#include <QFont>
#include <QStyleFactory>

#include <iostream>

namespace pelmora {

void ApplyAppLook(QApplication& app) {
    if (QStyle* fusion = QStyleFactory::create(QStringLiteral("Fusion"))) app.setStyle(fusion);
    QFont f(QStringLiteral("NanumGothic"), 9);
    f.setFamilies({QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic"), QStringLiteral("Noto Sans CJK KR")});
    app.setFont(f);
}

int Main(int argc, char** argv) {
    QApplication app(argc, argv);
    ApplyAppLook(app);
    QtMessage boxes;
    setMessages(&boxes);
    const auto options = parseStartOptions(argc, argv);
    if (!options) {
        std::cerr << "pelmora: --root needs a folder\n";
        setMessages(nullptr);
        return 2;
    }
    ProcessObjects& objects = processObjects();
    int rc = 1;
    if (RunStartUp(*options, objects, std::cerr)) {
        frmMain window(objects.reference(), objects.LocalMode());
        window.setStore(objects.CnSqlite.get());
        window.show();
        rc = app.exec();
    }
    objects.release();
    setMessages(nullptr);
    return rc;
}

} // namespace pelmora
