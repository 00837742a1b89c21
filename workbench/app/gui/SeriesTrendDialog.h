// CSeriesTrendDialog: the end of "Fit Series...": the trend picture of the summary (every
// peak's position, FWHM and area against the scan), the summary's path and a button that opens
// it with the desktop's program for CSV files.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

class CSeriesTrendDialog : public QDialog {
  Q_OBJECT
 public:
  // picture: a PNG file of the trend, or empty when none could be drawn (why says so).
  CSeriesTrendDialog(const QString& csv, const QString& picture, const QString& why, QWidget* parent);

  QLabel* image = nullptr;
  QLabel* path = nullptr;
  QPushButton* open = nullptr;
};
