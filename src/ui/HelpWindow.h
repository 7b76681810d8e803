#pragma once

#include <QWidget>

class QTextBrowser;

namespace volmar {

// The user guide shipped inside the program, one page per topic, in a
// window of its own with the usual back, forward and contents buttons.
class HelpWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpWindow(QWidget* parent = nullptr);

  // The guide's page (with an optional "#anchor") for a help topic number;
  // topics without a page of their own open the contents.
  static QString pageForTopic(int topic);
  // Whether the guide is there to be shown.
  static bool guideAvailable();

  void showTopic(int topic);
  QTextBrowser* browser() const { return browser_; }

 private:
  QTextBrowser* browser_;
};

}  // namespace volmar
