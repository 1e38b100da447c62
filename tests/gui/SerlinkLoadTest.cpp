// The programmer library as the configurator uses it: opened for each run,
// its window closed by the user, the handle closed again (the library keeps
// itself loaded), and the program goes on.

#include "flash/ProgrammerLibrary.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace tralcon;

class SerlinkLoadTest : public QObject {
    Q_OBJECT
  private slots:
    void eachRunStartsAfreshInTheLoadedLibrary() {
        QVERIFY(SerlinkAvailable(SERLINK_DIR));
        for (int run = 0; run < 3; ++run) {
            QString title;
            // The user closes the programmer window without programming.
            QTimer::singleShot(200, [&title] {
                if (QWidget* w = QApplication::activeModalWidget()) {
                    title = w->windowTitle();
                    w->close();
                }
            });
            const std::optional<std::int32_t> result =
                ProgramController(TBytes(100, 0x5A), SERLINK_DIR);
            QVERIFY(result.has_value());
            QCOMPARE(*result, 3); // not done
            QCOMPARE(title, QStringLiteral("Программатор НВТ-3М"));
        }
    }
};

QTEST_MAIN(SerlinkLoadTest)
#include "SerlinkLoadTest.moc"
