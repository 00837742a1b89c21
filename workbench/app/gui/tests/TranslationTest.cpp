// The captions' language: the English translation complete, every caption of the window, its
// menus, tool bar, status bar, setup form and dialogs in English when it is chosen (by the INI
// file or by BALIMOR_LANG), the captions as they are written at a default start, and the core's
// messages translated line by line with their names kept.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QXmlStreamReader>
#include <functional>
#include <set>

#include "BalimorApp.h"
#include "GuiTestSupport.h"
#include "RunDialog.h"
#include "SetupBalimorView.h"
#include "Translations.h"
#include "ui_SetupBalimorView.h"

using guitest::Scratch;

namespace {

struct TsEntry {
  QString context, source, translation;
  bool finished = true;
};

QList<TsEntry> ReadTs() {
  QFile file(QStringLiteral(BALIMOR_TS_FILE));
  if (!file.open(QIODevice::ReadOnly)) return {};
  QList<TsEntry> out;
  QString context;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    const auto name = xml.name();
    if (name == QLatin1String("name")) context = xml.readElementText();
    if (name == QLatin1String("message")) out << TsEntry{context, {}, {}, true};
    if (name == QLatin1String("source")) out.last().source = xml.readElementText();
    if (name == QLatin1String("translation")) {
      out.last().finished = xml.attributes().value(QLatin1String("type")).isEmpty();
      out.last().translation = xml.readElementText();
    }
  }
  return out;
}

// Kana, kanji, and the full- and half-width forms (the half-width katakana of the menus).
bool HoldsJapanese(const QString& text) {
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if ((u >= 0x3000 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xFF00 && u <= 0xFFEF)) return true;
  }
  return false;
}

// Every text the person can read on `root` and below it: window titles, button and label
// captions, group titles, tips, and the captions and tips of every action (menus, tool bar).
QStringList CaptionsOf(QWidget* root) {
  QStringList out;
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (w->isWindow()) out << w->windowTitle();
    out << w->toolTip() << w->statusTip() << w->whatsThis();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) out << b->text();
    if (auto* l = qobject_cast<QLabel*>(w)) out << l->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) out << g->title();
    if (auto* m = qobject_cast<QMenu*>(w)) out << m->title();
    if (auto* s = qobject_cast<QStatusBar*>(w)) out << s->currentMessage();
    for (QAction* a : w->actions()) out << a->text() << a->toolTip() << a->statusTip();
  }
  for (QAction* a : root->findChildren<QAction*>()) out << a->text() << a->toolTip() << a->statusTip();
  out.removeAll(QString());
  return out;
}

// Runs `open`, which brings up a modal dialog, and gives the captions of that dialog, which is
// then closed; empty when none came up.
QStringList CaptionsOfModal(const std::function<void()>& open) {
  QStringList out;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || !out.isEmpty()) return;
    out = CaptionsOf(dialog);
    dialog->reject();
  });
  poll.start(10);
  open();
  return out;
}

// Every caption of the window and of each dialog it opens (a dialog that does not come up fails
// the test).
void AllCaptions(CBalimorApp& app, QStringList& out) {
  CMainFrame& f = app.Frame();
  out << CaptionsOf(&f);
  CRunDialog run(QStringLiteral("xZentrab scan.pfc"), &f);
  out << CaptionsOf(&run);
  app.Doc().StoreEditorSetting("/nonexistent/editor");  // Edit IniFile: a message of the core
  using C = CMainFrame::Command;
  for (C c : {C::kScale, C::kSetupFrame, C::kSetupOption, C::kPeakSearch, C::kAbout, C::kFind, C::kReplace, C::kCopy,
              C::kEditIni, C::kOpen}) {
    const QStringList dialog = CaptionsOfModal([&] { f.Action(c)->trigger(); });
    QVERIFY2(!dialog.isEmpty(), qPrintable(f.Action(c)->text()));
    out << dialog;
  }
  out << CaptionsOfModal([&] { f.SetupView()->Widgets().setupLsqButton->click(); });
}

// The texts of the entries whose translation differs from the source: their sources, or their
// translations.
std::set<QString> Differing(bool translations) {
  std::set<QString> out;
  for (const TsEntry& e : ReadTs())
    if (e.translation != e.source) out.insert(translations ? e.translation : e.source);
  return out;
}

QStringList MenuTitles(CMainFrame& f) {
  QStringList titles;
  for (QAction* a : f.menuBar()->actions()) titles << a->text();
  return titles;
}

// The captions that are not in English: Japanese, or still an English source that the
// translation mends. An action's accelerator after its tab does not count.
QStringList Untranslated(const QStringList& captions) {
  const std::set<QString> sources = Differing(false);
  QStringList bad;
  for (const QString& c : captions)
    if (HoldsJapanese(c) || sources.count(c.section(QLatin1Char('\t'), 0, 0))) bad << c;
  bad.removeDuplicates();
  return bad;
}

}  // namespace

class TranslationTest : public QObject {
  Q_OBJECT

 private slots:
  void translationIsCompleteAndBuiltBesideTheProgram() {
    const QList<TsEntry> entries = ReadTs();
    QVERIFY(entries.size() > 150);
    for (const TsEntry& e : entries) {
      QVERIFY2(e.finished && !e.translation.isEmpty(), qPrintable(e.context + QStringLiteral(": ") + e.source));
      QVERIFY2(!HoldsJapanese(e.translation), qPrintable(e.translation));
    }
    QTranslator translator;
    const QString qm = InstallCaptionTranslation(translator, CaptionLanguage::kEnglish, QStringLiteral(BALIMOR_BIN_DIR));
    QCOMPARE(qm, QStringLiteral(BALIMOR_BIN_DIR "/translations/balimor_en.qm"));
    QCOMPARE(QCoreApplication::translate("SetupLsqDialog", "&Dumping Factor:"), QStringLiteral("&Damping Factor:"));
    // The core's messages: line by line, the names and numbers put into the translated line.
    const std::pair<const char*, const char*> core[] = {
        {"File [/d/new.pfc] doesn't exist\r\nSome error must occur in the calculation\r\nRetrieve previous file",
         "File [/d/new.pfc] doesn't exist\r\nSomething must have gone wrong in the calculation\r\nThe previous file is "
         "restored"},
        {"MaxIter [45] is larger than 30\r\n   Continue?", "Max Iteration [45] is larger than 30\r\n   Continue?"},
        {"Can't exec [\"/opt/a %2 b\"]", "Can't execute [\"/opt/a %2 b\"]"},
        {"Can't copy [/d/out.txt] to [/d/scan#1.out]", "Can't copy [/d/out.txt] to [/d/scan#1.out]"},
        {"Very Small MaxIter", "Very Small Max Iteration"},
        {"A text the core does not have", "A text the core does not have"},
    };
    for (const auto& [from, to] : core) QCOMPARE(CoreText(std::string(from)), QString::fromUtf8(to));
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(CoreText(std::string("Retrieve previous file")), QStringLiteral("Retrieve previous file"));
  }

  void englishFromTheIniFileCoversEveryCaption() {
    Scratch scratch;
    scratch.Write(QStringLiteral("test.INI"), "[Preferences]\r\nLanguage=en\r\n");
    auto app = guitest::MakeApp();
    QCOMPARE(app->Language(), CaptionLanguage::kEnglish);
    QVERIFY(!app->TranslationFile().isEmpty());
    app->Start({guitest::ExampleFile(QStringLiteral("diffraction/demo.txt"))});
    CMainFrame& f = app->Frame();
    QCOMPARE(MenuTitles(f), QStringList({"&File", "&Edit", "&View", "&Option", "&Help"}));
    QCOMPARE(f.SetupView()->Widgets().lka1Label->text(), QStringLiteral("λ(Kα1):"));
    QStringList captions;
    AllCaptions(*app, captions);
    QVERIFY(captions.contains(QStringLiteral("&Damping Factor:")));
    const QStringList untranslated = Untranslated(captions);
    QVERIFY2(untranslated.isEmpty(), qPrintable(untranslated.join(QLatin1Char('|'))));

    // Option > Language stores the choice for the next start and says so, in English.
    QStringList said = CaptionsOfModal([&] { f.Action(CMainFrame::kLanguageJapanese)->trigger(); });
    QVERIFY2(said.contains(QStringLiteral("Balimor shows its captions as they are written from its next start.")),
             qPrintable(said.join(QLatin1Char('|'))));
    QVERIFY(Scratch::Read(scratch.Ini()).contains("Language=ja"));
    f.UpdateCommandUI();
    QVERIFY(f.Action(CMainFrame::kLanguageJapanese)->isChecked());
    QVERIFY(!f.Action(CMainFrame::kLanguageEnglish)->isChecked());
    QCOMPARE(MenuTitles(f).first(), QStringLiteral("&File"));  // this run keeps its language
  }

  void environmentChoosesForOneRun() {
    struct Case {
      const char* stored;
      const char* environment;
      const char* fileMenu;
    } cases[] = {{"ja", "en", "&File"}, {"en", "ja", "ﾌｧｲﾙ(&F)"}, {"en", "", "&File"}};
    for (const Case& c : cases) {
      Scratch scratch;
      scratch.Write(QStringLiteral("test.INI"), QByteArray("[Preferences]\r\nLanguage=") + c.stored + "\r\n");
      qputenv("BALIMOR_LANG", c.environment);
      auto app = guitest::MakeApp();
      qunsetenv("BALIMOR_LANG");
      app->Start({});
      QCOMPARE(MenuTitles(app->Frame()).first(), QString::fromUtf8(c.fileMenu));
      QVERIFY(Scratch::Read(scratch.Ini()).contains(QByteArray("Language=") + c.stored));  // not rewritten
    }
  }

  void defaultStartShowsTheCaptionsAsWritten() {
    Scratch scratch;
    auto app = guitest::MakeApp();
    QCOMPARE(app->Language(), CaptionLanguage::kJapanese);
    QVERIFY(app->TranslationFile().isEmpty());
    app->Start({guitest::ExampleFile(QStringLiteral("diffraction/demo.txt"))});
    CMainFrame& f = app->Frame();
    QCOMPARE(MenuTitles(f), QStringList({"ﾌｧｲﾙ(&F)", "編集(&E)", "表示(&V)", "&Option", "ﾍﾙﾌﾟ(&H)"}));
    QVERIFY(f.Action(CMainFrame::kLanguageJapanese)->isChecked());
    // No caption shows an English text that differs from its source.
    const std::set<QString> english = Differing(true);
    QStringList captions;
    AllCaptions(*app, captions);
    for (const QString& c : captions) QVERIFY2(!english.count(c.section(QLatin1Char('\t'), 0, 0)), qPrintable(c));
    QVERIFY(CaptionsOf(&f).contains(QStringLiteral("L(Ka1):")));

    QStringList said = CaptionsOfModal([&] { f.Action(CMainFrame::kLanguageEnglish)->trigger(); });
    QVERIFY(said.contains(QStringLiteral("Balimor shows its captions in English from its next start.")));
    QVERIFY(Scratch::Read(scratch.Ini()).contains("Language=en"));
    QCOMPARE(MenuTitles(f).first(), QStringLiteral("ﾌｧｲﾙ(&F)"));
  }
};

QObject* MakeTranslationTest() { return new TranslationTest; }

#include "TranslationTest.moc"
