#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>

#include "commands/Context.h"

class QAction;
class QLabel;
class QListWidget;
class QMenu;

namespace volmar {

struct Workspace;
class MainChart;
class Prompter;
class QtShell;
class StatusLine;
class TForm5;

// Sets the decimal point for every conversion between numbers and text to
// "." whatever the system's locale says.
void useFixedDecimalPoint();

// The main window: the menu every command starts from, the output list
// ("Print output:"), the chart ("Graphics output:") and the status line.
class TFMain : public QMainWindow {
  Q_OBJECT

 public:
  TFMain(Workspace& ws, Prompter& prompter, QWidget* parent = nullptr);
  ~TFMain() override;

  QLabel* Panel1;
  QListWidget* ListBox1;
  QLabel* Panel2;
  MainChart* Chart1;
  StatusLine* Panel3;

  QtShell& shell() { return *shell_; }
  Context& context() { return *ctx_; }
  QAction* action(MenuItem item) const { return actions_[static_cast<std::size_t>(item)]; }
  QMenu* submenu(MenuItem item) const { return menus_[static_cast<std::size_t>(item)]; }
  // Whether the person can use the item: it and every menu it hangs in are
  // enabled.
  bool isReachable(MenuItem item) const;
  TForm5* graphView() const;
  bool commandRunning() const { return running_; }

  // The menu commands.
  void menuClick(MenuItem item);
  void runMenuCommand(const std::function<void(Context&)>& command);
  void quit1Click();
  void about1Click();
  void help1Click();
  void helpFile1Click();
  void userGuide1Click();

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  void buildClientArea();
  void buildMenu();
  void placeComponents(int clientWidth, int clientHeight);
  void endProgram();
  bool askToQuit();

  Workspace& ws_;
  QWidget* client_ = nullptr;
  std::array<QAction*, MenuItemCount> actions_{};
  std::array<QMenu*, MenuItemCount> menus_{};
  std::unique_ptr<QtShell> shell_;
  std::unique_ptr<Context> ctx_;
  QObject* helpKeys_ = nullptr;
  bool running_ = false;
  bool quitConfirmed_ = false;
  bool closeAfterCommand_ = false;  // the window was closed during a command
  bool askingToQuit_ = false;
};

}  // namespace volmar
