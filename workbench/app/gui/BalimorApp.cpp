#include "BalimorApp.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QSplashScreen>
#include <QStatusBar>
#include <QTimer>

#include "QtText.h"
#include "Translations.h"

namespace {

constexpr int kSplashMs = 750;

// The splash picture: the program's name over a stylised diffraction scan with a fitted peak.
QPixmap SplashPixmap() {
  QPixmap pixmap(420, 220);
  pixmap.fill(QColor(250, 250, 246));
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.drawRect(QRectF(1, 1, 418, 218));
  QPolygonF scan, model;
  for (int i = 0; i <= 360; ++i) {
    const double x = 30 + i;
    const double t = (i - 200) / 14.0, u = (i - 110) / 9.0;
    const double peak = 120 / (1 + t * t) + 45 * std::exp(-u * u);
    model << QPointF(x, 200 - 10 - peak);
    scan << QPointF(x, 200 - 10 - peak + 4 * std::sin(i * 1.7) * std::cos(i * 0.37));
  }
  p.setPen(QPen(Qt::black, 1));
  p.drawPolyline(scan);
  p.setPen(QPen(QColor(220, 30, 30), 2));
  p.drawPolyline(model);
  QFont f = p.font();
  f.setPixelSize(40);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(30, 70, 150));
  p.drawText(QRect(0, 14, 420, 50), Qt::AlignCenter, QStringLiteral("Balimor"));
  f.setPixelSize(13);
  f.setBold(false);
  p.setFont(f);
  p.setPen(QColor(70, 70, 70));
  p.drawText(QRect(0, 60, 420, 20), Qt::AlignCenter, QCoreApplication::translate("CBalimorApp", "peak fitting workbench"));
  return pixmap;
}

// Closes the splash at the first key or button press anywhere and swallows that press.
class SplashCloser : public QObject {
 public:
  explicit SplashCloser(QSplashScreen* s) : QObject(s), splash(s) { qApp->installEventFilter(this); }
  ~SplashCloser() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::ShortcutOverride:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::NonClientAreaMouseButtonPress:
        if (splash) splash->close();
        return true;
      default:
        return false;
    }
  }

 private:
  QPointer<QSplashScreen> splash;
};

}  // namespace

void ShowSplash(QWidget* over) {
  static bool shown = false;
  if (shown) return;
  shown = true;
  auto* splash = new QSplashScreen(SplashPixmap(), Qt::WindowStaysOnTopHint);
  splash->setAttribute(Qt::WA_DeleteOnClose);
  splash->setObjectName(QStringLiteral("Splash"));
  if (over) splash->move(over->geometry().center() - splash->rect().center());
  new SplashCloser(splash);
  splash->show();
  QTimer::singleShot(kSplashMs, splash, &QWidget::close);
}

namespace {

// The running program as the system reports it, else as Qt knows it.
std::string ProgramPathOf(IPlatform& platform) {
  const std::string path = platform.RunningProgramPath();
  return path.empty() ? S(QApplication::applicationFilePath()) : path;
}

}  // namespace

CBalimorApp::CBalimorApp(const std::string& programPath)
    : location(CIniLocation::ForProgram(platform, programPath.empty() ? ProgramPathOf(platform) : programPath)),
      profile(QStringLiteral("Tavenhall"), QStringLiteral("Balimor")) {
  // The translation goes in before any window is made, so that every caption is made in it.
  language = RunLanguage(CIniFile(location.iniPath), platform.EnvironmentValue("BALIMOR_LANG"));
  translationFile = InstallCaptionTranslation(translator, language, Q(location.programDir));
  doc = std::make_unique<CBalimorDoc>(platform, location.iniPath, location.programDir);
  frame = std::make_unique<CMainFrame>(*doc, platform, profile);
  if (language != CaptionLanguage::kJapanese && translationFile.isEmpty())
    frame->statusBar()->showMessage(
        QCoreApplication::translate("CBalimorApp", "No translation of the captions was found (balimor_%1.qm)")
            .arg(QLatin1String(LanguageCode(language))));
}

CBalimorApp::~CBalimorApp() {
  frame.reset();
  doc.reset();
}

void CBalimorApp::Start(const QStringList& files) {
  // Without a file the first document is a new one: the setup form reloads [LSQ], its three
  // paths included, which the form's own start leaves empty.
  if (files.isEmpty()) doc->OnNewDocument();
  frame->show();
  if (!files.isEmpty()) frame->OpenDocumentFile(files.first());
}
