// CSpinArrows: the up and down arrows of a spin button beside a field. A click reports the
// step as the control gives it: -1 for the up arrow, +1 for the down arrow (the workbench's
// spin rules subtract the step, so up raises a value). Holding an arrow repeats.
#pragma once

#include <QWidget>

class QToolButton;

class CSpinArrows : public QWidget {
  Q_OBJECT

 public:
  explicit CSpinArrows(QWidget* parent = nullptr);

  QToolButton* UpButton() const { return up; }
  QToolButton* DownButton() const { return down; }
  QSize sizeHint() const override;

 signals:
  void spun(int d);

 private:
  QToolButton* up;
  QToolButton* down;
};
