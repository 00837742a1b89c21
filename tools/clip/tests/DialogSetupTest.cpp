#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QtTest>

#include "OpenDialogSetup.h"

class DialogSetupTest : public QObject {
    Q_OBJECT
private slots:
    void titleFilterAndStartDirectory();
    void everyFileIsListed();
};

void DialogSetupTest::titleFilterAndStartDirectory() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFileDialog dialog;
    mevlo::SetUpDataFileDialog(dialog, dir.path());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Data File Read"));
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types != nullptr);
    QCOMPARE(types->count(), 1);
    QCOMPARE(types->currentText(), QStringLiteral("Data File (*.*)"));
}

void DialogSetupTest::everyFileIsListed() {
    // "*.*" means every file, also those without a point in their names.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"scan.dat", "RAMAN01", "run.1.txt"}) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog;
    mevlo::SetUpDataFileDialog(dialog, dir.path());
    dialog.show();
    auto* list = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QVERIFY(list != nullptr);
    QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 3);
    dialog.close();
}

QTEST_MAIN(DialogSetupTest)
#include "DialogSetupTest.moc"
