#include "ui/HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace volmar {

namespace {

constexpr const char* GuideRoot = "qrc:/guide/";

}  // namespace

QString HelpWindow::pageForTopic(int topic) {
  // The help context numbers of the windows and menu commands.
  switch (topic) {
    case 10:
      return QStringLiteral("output.html");
    case 12:
      return QStringLiteral("analyses.html#blocks");
    case 18:
      return QStringLiteral("graph.html");
    case 20:
      return QStringLiteral("data.html");
    case 26:
      return QStringLiteral("analyses.html#similarity");
    case 30:
      return QStringLiteral("parameters.html");
    case 55:
      return QStringLiteral("analyses.html#compare");
    default:
      return QStringLiteral("index.html");
  }
}

bool HelpWindow::guideAvailable() { return QFile::exists(QStringLiteral(":/guide/index.html")); }

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("Volmar - User guide"));
  browser_ = new QTextBrowser;
  browser_->setObjectName(QStringLiteral("GuideBrowser"));
  browser_->setOpenExternalLinks(true);
  auto* back = new QPushButton(QStringLiteral("&Back"));
  auto* forward = new QPushButton(QStringLiteral("&Forward"));
  auto* contents = new QPushButton(QStringLiteral("&Contents"));
  auto* close = new QPushButton(QStringLiteral("C&lose"));
  back->setEnabled(false);
  forward->setEnabled(false);
  connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
  connect(contents, &QPushButton::clicked, this, [this] { showTopic(0); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(back);
  buttons->addWidget(forward);
  buttons->addWidget(contents);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* all = new QVBoxLayout(this);
  all->addLayout(buttons);
  all->addWidget(browser_, 1);
  resize(720, 640);
}

void HelpWindow::showTopic(int topic) {
  browser_->setSource(QUrl(QString::fromLatin1(GuideRoot) + pageForTopic(topic)));
}

}  // namespace volmar
