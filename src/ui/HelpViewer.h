#pragma once

#include <QString>

class QWidget;

namespace volmar {

// Opens the program's compiled HTML help file at a topic. The file lives
// beside the program; it is opened with the desktop's viewer for .chm files
// when one is installed, and otherwise the person is told where the file was
// looked for and what is missing.
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

 protected:
  // Whether the desktop has a program registered for .chm files.
  virtual bool viewerAvailable() const;
  virtual bool launch(const QString& file) const;

 private:
  QString helpFile_;
};

}  // namespace volmar
