// The window tests, one group per CTest entry: gui_tests GROUP [Qt Test options].
#include <QApplication>
#include <QTest>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

QObject* MakeMainWindowTest();
QObject* MakeFormTest();
QObject* MakeFitTest();
QObject* MakeSettingsTest();
QObject* MakeSeriesDialogTest();
QObject* MakeTranslationTest();

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  struct Group {
    const char* name;
    QObject* (*make)();
  };
  const Group groups[] = {{"MainWindow", MakeMainWindowTest},
                          {"Form", MakeFormTest},
                          {"Fit", MakeFitTest},
                          {"Settings", MakeSettingsTest},
                          {"Series", MakeSeriesDialogTest},
                          {"Translation", MakeTranslationTest}};
  const char* wanted = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
  // The group's name is not an argument of Qt Test.
  std::vector<char*> args = {argv[0]};
  for (int i = wanted ? 2 : 1; i < argc; ++i) args.push_back(argv[i]);
  int failed = 0;
  bool found = false;
  for (const Group& g : groups) {
    if (wanted && std::strcmp(wanted, g.name) != 0) continue;
    found = true;
    std::unique_ptr<QObject> test(g.make());
    failed += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
  }
  if (!found) {
    std::fprintf(stderr, "gui_tests: no group %s\n", wanted);
    return 1;
  }
  return failed == 0 ? 0 : 1;
}
