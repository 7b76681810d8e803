#pragma once

#include <QPointer>
#include <QString>

class QWidget;

namespace volmar {

class HelpWindow;

// Opens help at a topic. A compiled HTML help file beside the program is
// opened with the desktop's viewer for .chm files when both are there;
// otherwise the user guide shipped inside the program opens in a help
// window at the topic's page.
class HelpViewer {
 public:
  explicit HelpViewer(QString helpFile);
  virtual ~HelpViewer() = default;

  // The help file of a program installed in programDir.
  static QString helpFileIn(const QString& programDir);

  const QString& helpFile() const { return helpFile_; }

  // Why the topic cannot be shown, or an empty text when it can be opened.
  QString problem(int topic) const;

  void showTopic(QWidget* parent, int topic);
  // The guide's window, once it has been opened.
  HelpWindow* guideWindow() const;

 protected:
  // Whether the desktop has a program registered for .chm files.
  virtual bool viewerAvailable() const;
  virtual bool launch(const QString& file) const;

 private:
  void showGuide(QWidget* parent, int topic);

  QString helpFile_;
  QPointer<HelpWindow> guide_;
};

}  // namespace volmar
