// The programmer library as the configurator uses it: loaded for each run,
// its window closed by the user, released again, and the program goes on.

#include "mainwindow/SerlinkLoader.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace tralcon;

class SerlinkLoadTest : public QObject {
    Q_OBJECT
  private slots:
    void eachRunLoadsAndReleasesTheLibrary() {
        QVERIFY(SerlinkPresent(SERLINK_DIR));
        for (int run = 0; run < 3; ++run) {
            QString title;
            // The user closes the programmer window without programming.
            QTimer::singleShot(200, [&title] {
                if (QWidget* w = QApplication::activeModalWidget()) {
                    title = w->windowTitle();
                    w->close();
                }
            });
            int built = 0;
            const std::optional<std::int32_t> result = ProgramWithSerlink(SERLINK_DIR, [&] {
                ++built;
                return TBytes(100, 0x5A);
            });
            QVERIFY(result.has_value());
            QCOMPARE(*result, 3); // not done
            QCOMPARE(built, 1);
            QCOMPARE(title, QStringLiteral("Программатор НВТ-3М"));
        }
    }
};

QTEST_MAIN(SerlinkLoadTest)
#include "SerlinkLoadTest.moc"
