#pragma once
// The first-start window "처음 시작": shown when the installation root has
// no reference files to start from. It names the folder and the files that
// are missing and offers three ways on — a demo root made by the generator,
// the real reference files made from the published data, or another root
// that has them — each by button or Alt+key. Making a root runs on a worker
// thread behind a progress window. The chosen root is remembered, and the
// window is accepted with it.

#include "ModFirstStart.h"

#include <QDialog>

#include <filesystem>
#include <functional>

class QCommandLinkButton;
class QLabel;
class QPushButton;

namespace pelmora {

class frmFirstStart : public QDialog {
    Q_OBJECT
  public:
    // root: the root that could not start. ready: it can start after all
    // (the pharmacist asked to choose again), so it may be kept.
    frmFirstStart(const std::filesystem::path& root, const RootMakers& makers, bool ready,
                  QWidget* parent = nullptr);
    ~frmFirstStart() override;

    QLabel *lab제목, *lab안내, *lab파일, *lab기억;
    QCommandLinkButton *cmd연습용, *cmd실제자료, *cmd다른폴더;
    QPushButton* cmd끝내기;

    void cmd연습용_Click();
    void cmd실제자료_Click();
    void cmd다른폴더_Click();

    // The root to start with once the window is accepted.
    const std::filesystem::path& chosenRoot() const { return chosen_; }
    // Where the real reference files are made: the root shown, unless it is
    // the demo root.
    std::filesystem::path realTarget() const;

    // Asks for a folder; QFileDialog unless a test puts its own answer here.
    std::function<QString(QWidget* parent, const QString& start)> chooseFolder;

  private:
    void buildWidgets(bool ready);
    QString filesText() const;
    // Runs maker on target behind a progress window; false after a failure
    // the pharmacist was told about.
    bool make(const RootMaker& maker, const std::filesystem::path& target, const QString& what);
    // Remembers root and accepts the window with it.
    void choose(const std::filesystem::path& root);

    std::filesystem::path root_, chosen_;
    RootMakers makers_;
};

} // namespace pelmora
