#pragma once

#include <QPoint>
#include <QWidget>
#include <vector>

namespace volmar {

struct Workspace;

// Where the graph view draws prototypes 1..K (entry k-1) in a window of the
// given outer size. With no extent (one prototype, or all at one point) every
// prototype stands at the origin of the picture.
std::vector<QPoint> graphPositions(const Workspace& ws, int outerWidth, int outerHeight);

class TForm5;

// The drawing area of the graph view: labels, then the red connections.
class GraphPaintBox : public QWidget {
  Q_OBJECT

 public:
  GraphPaintBox(const Workspace& ws, TForm5* view);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const Workspace& ws_;
  TForm5* view_;
};

// "Connection (un)learning - Sammon projection in 2 dims": the prototypes at
// their Sammon positions, numbered, with the learned connections between
// them. It keeps nothing of its own and paints from the workspace.
class TForm5 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm5(const Workspace& ws, QWidget* parent = nullptr);

  GraphPaintBox* paintBox1() const { return paintBox1_; }
  // Paints pending changes, shows the window and repaints it now.
  void showAndRepaint();

 protected:
  // The picture scales with the window's outer size.
  void resizeEvent(QResizeEvent* event) override;

 private:
  GraphPaintBox* paintBox1_;
};

}  // namespace volmar
