#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMessageBox::information(nullptr, "Volmar32", "The desktop program is being built.");
  return 0;
}
