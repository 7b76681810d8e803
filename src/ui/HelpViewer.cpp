#include "ui/HelpViewer.h"

#include <QDesktopServices>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "ui/HelpWindow.h"

namespace volmar {

HelpViewer::HelpViewer(QString helpFile) : helpFile_(std::move(helpFile)) {}

QString HelpViewer::helpFileIn(const QString& programDir) {
  return QDir(programDir).filePath(QStringLiteral("Volmar32.chm"));
}

bool HelpViewer::viewerAvailable() const {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  return true;
#else
  // xdg-open starts detached and reports success even when nothing can show
  // the file; ask the desktop's MIME registry instead.
  const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
  if (xdgMime.isEmpty()) return false;
  QProcess query;
  query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                        QStringLiteral("application/vnd.ms-htmlhelp")});
  if (!query.waitForFinished(3000)) {
    query.kill();
    return false;
  }
  return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
#endif
}

bool HelpViewer::launch(const QString& file) const {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

QString HelpViewer::problem(int topic) const {
  const QString where = QDir::toNativeSeparators(helpFile_);
  if (!QFileInfo(helpFile_).isFile())
    return QStringLiteral("Help topic %1 cannot be shown: the help file was not found.\n"
                          "It was looked for at:\n%2")
        .arg(topic)
        .arg(where);
  if (!viewerAvailable())
    return QStringLiteral("Help topic %1 cannot be shown: no viewer for compiled HTML help\n"
                          "files (.chm) is installed on this computer.\n"
                          "The help file is:\n%2")
        .arg(topic)
        .arg(where);
  return {};
}

void HelpViewer::showTopic(QWidget* parent, int topic) {
  if (problem(topic).isEmpty() && launch(helpFile_)) return;
  if (HelpWindow::guideAvailable()) return showGuide(parent, topic);
  QString why = problem(topic);
  if (why.isEmpty())
    why = QStringLiteral("Help topic %1 cannot be shown: the viewer for\n%2\ncould not be started.")
              .arg(topic)
              .arg(QDir::toNativeSeparators(helpFile_));
  QMessageBox::information(parent, QStringLiteral("Volmar32"), why);
}

HelpWindow* HelpViewer::guideWindow() const { return guide_.data(); }

void HelpViewer::showGuide(QWidget* parent, int topic) {
  // A modal dialog blocks every window but its own: the guide then belongs
  // to the dialog, so that it can be read and scrolled beside it.
  QWidget* owner = QApplication::activeModalWidget();
  if (!owner && parent) owner = parent->window();
  if (!guide_) guide_ = new HelpWindow(owner);
  else if (guide_->parentWidget() != owner) guide_->setParent(owner, Qt::Window);
  guide_->setAttribute(Qt::WA_DeleteOnClose, owner == nullptr);
  guide_->showTopic(topic);
  guide_->show();
  guide_->raise();
  guide_->activateWindow();
}

}  // namespace volmar
