#pragma once
// The window that shows a build of the link database: the program's title,
// which reference file is being copied and how many of its rows, and a bar
// over the six files and the indexes. It stands while the build runs on the
// same thread; every report repaints it, and the keyboard and mouse are not
// handled meanwhile, so nothing can start pricing half-way through.

#include "data/LinkBuilder.h"

#include <QDialog>
#include <QElapsedTimer>

class QLabel;
class QProgressBar;

namespace pelmora {

class frmProgress : public QDialog {
    Q_OBJECT
  public:
    explicit frmProgress(QWidget* parent = nullptr);
    ~frmProgress() override;

    QLabel* lab안내;
    QLabel* lab파일;
    QLabel* lab행;
    QProgressBar* bar;

    // Shows the window at the first report, then the state of the build.
    void report(const LinkProgress& p);

  private:
    QElapsedTimer painted_;
};

// A progress function for LinkDatabase that opens a frmProgress at the
// first report of a build and closes it when the function is destroyed.
class LinkProgressWindow {
  public:
    explicit LinkProgressWindow(QWidget* parent = nullptr) : parent_(parent) {}
    ~LinkProgressWindow();
    LinkProgressWindow(const LinkProgressWindow&) = delete;
    LinkProgressWindow& operator=(const LinkProgressWindow&) = delete;

    LinkProgressFn function();
    bool shown() const { return window_ != nullptr; }

  private:
    QWidget* parent_;
    frmProgress* window_ = nullptr;
};

} // namespace pelmora
