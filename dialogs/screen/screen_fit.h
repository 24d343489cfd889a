#pragma once
#include <QFont>
#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

class QScreen;

// The screens are designed in pixels for a 1024 x 768 screen. Tills have other sizes, and display
// scaling (Windows' 125 %, 150 %, ...) makes a design pixel more than one screen pixel. Each screen
// is therefore laid out by one factor from its design: positions, sizes and font sizes alike.
namespace zdlg {

// A design length at `factor`: rounded, and never 0 for a length that is not.
int scaledLength(int design, double factor);
// A design span (from `start`, `length` long) at `factor`: its length between its two ends, each
// scaled and rounded on its own, so that neighbours stay neighbours and no rounding adds up along
// a row of widgets or columns. At least 1 for a length that is not 0.
int scaledSpan(int start, int length, double factor);
// A design rectangle at `factor`, placed at `origin`: each edge is scaled and rounded on its own.
QRect scaledRect(const QRect &design, double factor, QPoint origin = {});
// The font with its pixel size (or point size) times `factor`, at least one pixel.
QFont scaledFont(const QFont &design, double factor);

// Widgets as designed (geometry and font), put back at any factor.
class ScaledWidgets {
 public:
  // Records the widget's geometry and font as they are now, the design.
  void add(QWidget *widget);
  // Records only its geometry; the font is inherited or set elsewhere.
  void addGeometry(QWidget *widget);
  // Records only its font.
  void addFont(QWidget *widget);
  // Geometry and fonts at `factor`, geometry placed from `origin`.
  void apply(double factor, QPoint origin = {}) const;

 private:
  struct Item {
    QPointer<QWidget> widget;
    std::optional<QRect> geometry;
    std::optional<QFont> font;
  };
  std::vector<Item> items_;
};

// What the window system adds around a top-level window's client area: its own frame once it has
// been on the screen; before that, the frame last seen on a window of the same kind; before any,
// the frame of a Windows 10/11 window at 100 % (8 pixels at the sides and the bottom, 31 at the
// top with the caption). A frameless window has none.
QMargins expectedFrameMargins(const QWidget *window);

// The largest factor, at most 1, with which a window of `design` client size and `frame` lies
// wholly in `workArea` (the screen less the task bar).
double fitDownFactor(QSize design, const QMargins &frame, const QRect &workArea);

// Calls `changed`, once the events of the moment have run, when a top-level window moves to
// another screen, or when the screen it watches changes its work area (a task bar) or its scaling.
class ScreenFollower : public QObject {
  Q_OBJECT

 public:
  ScreenFollower(QWidget *window, std::function<void()> changed);
  // Watches the window's move to another screen (once its native window exists) and `screen`, the
  // screen the window belongs to now, in place of the one watched before.
  void watch(QScreen *screen);

 private:
  void later();

  QWidget *window_;
  std::function<void()> changed_;
  QPointer<QScreen> watched_;
};

// A box (the information box, the yes/no box, the progress window, the keypad): it keeps its
// design size wherever that fits, and is scaled down, as a whole, only where it does not; it lies
// wholly in the work area of the screen it belongs to. That screen is the one of the first
// visible anchor (the board, then the main window), else the window's own. On its first showing
// the box is centred over that anchor (or the work area); later showings keep its place as long
// as it lies wholly in that work area, and are centred again when it does not (another monitor,
// another scaling, another size). While shown it follows a change of its screen.
class BoxPlacement : public QObject {
  Q_OBJECT

 public:
  // `window` is the box; `design` its client size. Its widgets are recorded with widgets().
  BoxPlacement(QWidget *window, QSize design);

  // The main window the box is centred over (the keypad), and the board, which comes first while
  // it is up.
  void setAnchor(QWidget *anchor) { anchor_ = anchor; }
  void setBoard(QWidget *board) { board_ = board; }
  QWidget *anchor() const { return anchor_; }
  QWidget *board() const { return board_; }
  // Centres the window on the work area rather than over the anchor (the keypad, the gauge).
  void setCentreOnScreen(bool on) { centreOnScreen_ = on; }

  ScaledWidgets &widgets() { return widgets_; }
  QSize designSize() const { return design_; }
  double factor() const { return factor_; }
  bool placed() const { return placed_; }

  // The screen the box belongs to now (see above).
  QScreen *targetScreen() const;
  // Scales the box to fit its screen's work area and places it; the box calls it on its showing.
  void place();
  // Scales the box to `factor` (at most 1), whatever the screen.
  void applyFactor(double factor);

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  void follow();

  QWidget *window_;
  QSize design_;
  QPointer<QWidget> anchor_;
  QPointer<QWidget> board_;
  bool centreOnScreen_ = false;
  ScaledWidgets widgets_;
  double factor_ = 1.0;
  bool placed_ = false;
  bool following_ = false;
  ScreenFollower *screens_;
};

}  // namespace zdlg
