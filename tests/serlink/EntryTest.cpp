// The library's entry points inside a program that runs Qt itself: the
// modal window is driven through its controls while ExportData or
// ImportData waits for it to close.

#include "SerlinkTestUtil.h"
#include "serlink/Serlink.h"
#include "serlink/SerlinkEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace tralcon;
using namespace tralcon::test;

namespace {

// Steps run one after the other against the modal window, each until it
// says it is done. A window still open after the limit is closed, so a
// fault ends the call instead of hanging the test.
class TModalDriver {
  public:
    using TStep = std::function<bool(QWidget& window)>;

    explicit TModalDriver(std::vector<TStep> steps, int limitMs = 20000)
        : FSteps(std::move(steps)), FLimitMs(limitMs) {
        QObject::connect(&FTimer, &QTimer::timeout, [this] { Tick(); });
        FTimer.start(5);
        FClock.start();
    }

    bool SawWindow() const { return FSawWindow; }
    bool TimedOut() const { return FTimedOut; }
    bool Finished() const { return FNext == FSteps.size(); }

  private:
    void Tick() {
        QWidget* w = QApplication::activeModalWidget();
        if (w == nullptr)
            return;
        FSawWindow = true;
        if (FClock.elapsed() > FLimitMs) {
            FTimedOut = true;
            w->close();
            return;
        }
        while (FNext < FSteps.size() && FSteps[FNext](*w))
            ++FNext;
    }

    std::vector<TStep> FSteps;
    std::size_t FNext = 0;
    int FLimitMs;
    QTimer FTimer;
    QElapsedTimer FClock;
    bool FSawWindow = false;
    bool FTimedOut = false;
};

QPushButton* ButtonOf(QWidget& w, const char* name) {
    return w.findChild<QPushButton*>(QString::fromLatin1(name));
}

QString StatusOf(QWidget& w) {
    return w.findChild<QLabel*>(QStringLiteral("Label4"))->text();
}

TModalDriver::TStep Click(const char* name) {
    return [name](QWidget& w) {
        ButtonOf(w, name)->click();
        return true;
    };
}

// The operation ended: its text is shown and the port is closed again.
TModalDriver::TStep WaitForEnd(const QString& text) {
    return
        [text](QWidget& w) { return StatusOf(w) == text && !ButtonOf(w, "Button2")->isEnabled(); };
}

// Every test gets a settings file of its own, offering the given device.
struct TSettings {
    TempDir Dir;
    std::string Path = Dir.File("NVT-3.ini");
    explicit TSettings(const std::string& devices, const std::string& more = "") {
        WriteSettings(Path, devices, more);
        qputenv(serlink::kSettingsEnv, QByteArray::fromStdString(Path));
    }
    ~TSettings() { qunsetenv(serlink::kSettingsEnv); }
};

} // namespace

class EntryTest : public QObject {
    Q_OBJECT
  private slots:
    void ExportDataProgramsTheBlocks_data();
    void ExportDataProgramsTheBlocks();
    void ClosingUntouchedReturnsNotDone();
    void PortThatDidNotOpenReturnsFour();
    void ImportDataReadsTheFlash();
    void ImportDataWithASmallBufferReturnsAtOnce();
    void OneCallAtATime();
};

void EntryTest::ExportDataProgramsTheBlocks_data() {
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<QString>("status");
    const QString ready = "Готов к программированию";
    QTest::newRow("100 bytes: 6 full blocks and one of 4") << 100 << 7 << ready;
    QTest::newRow("one block") << 16 << 1 << ready;
    QTest::newRow("2048 bytes") << 2048 << 128 << ready;
    QTest::newRow("2049 bytes are cut") << 2049 << 128 << QString("Размер данных слишком велик!");
}

void EntryTest::ExportDataProgramsTheBlocks() {
    QFETCH(int, length);
    QFETCH(int, blocks);
    QFETCH(QString, status);
    sim::TControllerSim sim(QuickSim());
    sim.Start();
    TSettings settings(sim.DevicePath());
    const Bytes image = Image(std::size_t(length), std::uint8_t(length));

    QString shown;
    int maximum = 0;
    TModalDriver driver({
        [&](QWidget& w) {
            shown = StatusOf(w);
            maximum = w.findChild<QProgressBar*>(QStringLiteral("ProgressBar1"))->maximum();
            return true;
        },
        Click("Button1"),
        WaitForEnd("Программирование закончено"),
        Click("Button3"),
    });
    const std::int32_t result = ExportData(image.data(), std::int32_t(image.size()));
    QVERIFY(!driver.TimedOut());
    QVERIFY(driver.Finished());
    QCOMPARE(result, 0);
    QCOMPARE(shown, status);
    QCOMPARE(maximum, blocks);
    QVERIFY(FlashOf(sim) == ExpectedFlash(image));
    QTRY_COMPARE(sim.Stats().Ends, 1);
    QCOMPARE(sim.Stats().BlocksWritten, blocks);
    QCOMPARE(sim.Stats().BlocksRead, blocks);
}

void EntryTest::ClosingUntouchedReturnsNotDone() {
    sim::TControllerSim sim(QuickSim());
    sim.Start();
    const Bytes image = Image(100, 1);
    for (int way = 0; way < 2; ++way) {
        TSettings settings(sim.DevicePath());
        TModalDriver driver({[way](QWidget& w) {
            if (way == 0)
                ButtonOf(w, "Button3")->click();
            else
                w.close();
            return true;
        }});
        QCOMPARE(ExportData(image.data(), std::int32_t(image.size())), 3);
        QVERIFY(driver.SawWindow() && !driver.TimedOut());
        // Nothing was sent; closing kept the settings where they were asked
        // to be.
        QCOMPARE(sim.Stats().Requests, 0);
        QVERIFY(ReadBytes(settings.Path).find("BaudRate=10417") != std::string::npos);
    }
}

void EntryTest::PortThatDidNotOpenReturnsFour() {
    TSettings settings("", "ComPort=99\r\n");
    const Bytes image = Image(32, 1);
    TModalDriver driver({Click("Button1"), Click("Button3")});
    QCOMPARE(ExportData(image.data(), std::int32_t(image.size())), 4);
    QVERIFY(driver.Finished());
}

void EntryTest::ImportDataReadsTheFlash() {
    sim::TSimOptions o = QuickSim();
    o.Flash = Image(2048, 99);
    sim::TControllerSim sim(o);
    sim.Start();
    TSettings settings(sim.DevicePath());
    Bytes buffer(4096, 0xAA);
    std::int32_t size = std::int32_t(buffer.size());
    TModalDriver driver({
        [](QWidget& w) {
            return ButtonOf(w, "Button4")->isVisible() && !ButtonOf(w, "Button1")->isVisible();
        },
        Click("Button4"),
        WaitForEnd("Чтение закончено"),
        Click("Button3"),
    });
    QCOMPARE(ImportData(buffer.data(), &size), 0);
    QVERIFY(driver.Finished());
    QCOMPARE(size, 4096);
    QVERIFY(Bytes(buffer.begin(), buffer.begin() + 2048) == o.Flash);
    QVERIFY(std::all_of(buffer.begin() + 2048, buffer.end(), [](auto b) { return b == 0xAA; }));
}

void EntryTest::ImportDataWithASmallBufferReturnsAtOnce() {
    TSettings settings("");
    Bytes buffer(2048, 0x55);
    for (std::int32_t size : {2047, 0, -1}) {
        TModalDriver driver({Click("Button3")});
        QCOMPARE(ImportData(buffer.data(), &size), 0);
        QVERIFY(!driver.SawWindow());
    }
    QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0x55; }));
    // Nowhere to read into: nothing done, no window either.
    TModalDriver driver({Click("Button3")});
    std::int32_t size = 2048;
    QCOMPARE(ImportData(nullptr, &size), 3);
    QCOMPARE(ImportData(buffer.data(), nullptr), 3);
    QVERIFY(!driver.SawWindow());
}

void EntryTest::OneCallAtATime() {
    TSettings settings("");
    const Bytes image = Image(10, 1);
    std::int32_t inner = -100;
    TModalDriver driver({
        [&](QWidget&) {
            inner = ExportData(image.data(), 10);
            return true;
        },
        Click("Button3"),
    });
    QCOMPARE(ExportData(image.data(), 10), 3);
    QCOMPARE(inner, 3);
    QVERIFY(driver.Finished());
}

QTEST_MAIN(EntryTest)
#include "EntryTest.moc"
