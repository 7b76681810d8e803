#include "ui/Unit3.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>

namespace volmar {

namespace {

// A small picture of what the program does: prototypes as dots, their
// learned connections as red lines.
QPixmap programPicture() {
  constexpr int S = 64;
  QPixmap pm(S, S);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF nodes[] = {{12, 14}, {34, 8}, {54, 20}, {22, 36}, {44, 40}, {14, 54}, {50, 56}};
  const int edges[][2] = {{0, 1}, {1, 2}, {0, 3}, {1, 3}, {3, 4}, {2, 4}, {3, 5}, {4, 6}, {5, 6}};
  p.setPen(QPen(QColor(255, 0, 0), 1.5));
  for (const auto& e : edges) p.drawLine(nodes[e[0]], nodes[e[1]]);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 128));
  for (const QPointF& n : nodes) p.drawEllipse(n, 3.5, 3.5);
  p.setPen(QPen(Qt::darkGray, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(0, 0, S - 1, S - 1);
  return pm;
}

QLabel* line(const QString& text) {
  auto* l = new QLabel(text);
  l->setTextFormat(Qt::PlainText);
  return l;
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("About Volmar2008"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  ProgramIcon = new QLabel;
  ProgramIcon->setPixmap(programPicture());
  ProgramIcon->setAlignment(Qt::AlignTop);
  ProductName = line(QStringLiteral("Volmar"));
  QFont bold = ProductName->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.25);
  ProductName->setFont(bold);
  Version = line(QStringLiteral("Revised Version 2009  (32 Bit) "));
  Comments = line(QStringLiteral("Volmar2009  implements the topology sensitive 'neural gas' "));
  Citations[0] = line(QStringLiteral(
      "Martinetz, T., Berkovich, S., Schulten, K. (1993): 'Neural-gas' network for vector quantization"));
  Citations[1] = line(QStringLiteral(
      "    and its application to time-series prediction, IEEE Transactions on Neural Networks 4, 558-569"));
  Citations[2] = line(QStringLiteral(
      "Martinetz, T., Schulten, K. (1994): Topology representing networks, Neural Networks 7, 507-522"));
  OKButton = new QPushButton(QStringLiteral("OK"));
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  auto* head = new QVBoxLayout;
  head->addWidget(ProductName);
  head->addWidget(Version);
  head->addStretch(1);
  auto* top = new QHBoxLayout;
  top->addWidget(ProgramIcon);
  top->addSpacing(10);
  top->addLayout(head, 1);

  auto* text = new QVBoxLayout;
  text->setSpacing(2);
  text->addWidget(Comments);
  for (QLabel* c : Citations) text->addWidget(c);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKButton);
  buttons->addStretch(1);

  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addSpacing(10);
  all->addLayout(text);
  all->addSpacing(10);
  all->addLayout(buttons);
  all->setSizeConstraint(QLayout::SetFixedSize);

  // Centred on the screen, or on the window it belongs to.
  adjustSize();
  const QRect area = parent ? parent->window()->frameGeometry()
                            : QGuiApplication::primaryScreen()->availableGeometry();
  move(area.center() - rect().center());
}

}  // namespace volmar
