#include "SeriesTrendDialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

CSeriesTrendDialog::CSeriesTrendDialog(const QString& csv, const QString& picture, const QString& why,
                                       QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Series Trend"));
  auto* layout = new QVBoxLayout(this);
  image = new QLabel(this);
  image->setAlignment(Qt::AlignCenter);
  const QPixmap pixmap(picture);
  if (pixmap.isNull()) {
    image->setText(why);
  } else {
    image->setPixmap(pixmap.scaled(1000, 625, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  }
  layout->addWidget(image);
  auto* row = new QHBoxLayout;
  path = new QLabel(tr("Summary: %1").arg(csv), this);
  path->setTextInteractionFlags(Qt::TextSelectableByMouse);
  row->addWidget(path, 1);
  open = new QPushButton(tr("&Open"), this);
  open->setToolTip(tr("Open the summary with the desktop's program for CSV files"));
  connect(open, &QPushButton::clicked, this, [csv] { QDesktopServices::openUrl(QUrl::fromLocalFile(csv)); });
  row->addWidget(open);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}
