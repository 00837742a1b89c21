#include "SpinArrows.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton* Arrow(Qt::ArrowType type, QWidget* parent) {
  auto* b = new QToolButton(parent);
  b->setArrowType(type);
  b->setAutoRepeat(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
  b->setFixedWidth(16);
  b->setIconSize(QSize(7, 7));
  return b;
}

}  // namespace

CSpinArrows::CSpinArrows(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  up = Arrow(Qt::UpArrow, this);
  down = Arrow(Qt::DownArrow, this);
  up->setObjectName(QStringLiteral("up"));
  down->setObjectName(QStringLiteral("down"));
  layout->addWidget(up);
  layout->addWidget(down);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
  connect(up, &QToolButton::clicked, this, [this] { emit spun(-1); });
  connect(down, &QToolButton::clicked, this, [this] { emit spun(+1); });
}

QSize CSpinArrows::sizeHint() const { return QSize(16, 22); }
