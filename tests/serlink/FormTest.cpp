// The programmer window on its own: controls, settings, the port list, the
// service unlock, and exchanges against the emulated controller on a
// pseudo-terminal, driven through the buttons.

#include "SerlinkTestUtil.h"
#include "platform/IniFile.h"
#include "serlink/Unit1.h"
#include "widgets/vxEdit.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <memory>

using namespace tralcon;
using namespace tralcon::test;
using namespace std::chrono_literals;

namespace {

// Generous: an exchange against the quick controller takes well under a
// second; only a fault would use it up.
constexpr int kWaitMs = 15000;

QString Status(const TForm1& f) {
    return f.Label4->text();
}

int Help(const QWidget* w) {
    return w->property(kHelpContextProperty).toInt();
}

std::string ReadKey(const std::string& path, const char* key) {
    TIniFile ini;
    std::string error;
    if (!ini.Load(path, &error))
        return "<unreadable>";
    return ini.ReadString("Programmator", key, "<missing>");
}

// A window for writing (or reading) with the settings file in a folder of
// its own, offering the given devices.
struct TWindow {
    TempDir Dir;
    std::string Settings = Dir.File("NVT-3.ini");
    std::unique_ptr<TForm1> Form;

    explicit TWindow(const std::string& devices, const std::string& more = "") {
        WriteSettings(Settings, devices, more);
        Form = std::make_unique<TForm1>(Settings);
        Form->FillPortList();
    }
    TForm1& Export(const Bytes& image) {
        Form->PrepareExport(image.data(), std::int32_t(image.size()));
        Form->show();
        return *Form;
    }
    TForm1& Import(std::uint8_t* buffer) {
        Form->PrepareImport(buffer);
        Form->show();
        return *Form;
    }
};

} // namespace

class FormTest : public QObject {
    Q_OBJECT
  private slots:
    void ControlsTextsAndHelpContexts();
    void PortListOffersTheDevicesThatOpen();
    void ChosenPortIsRememberedByPosition();
    void ChosenPortIsRememberedByPath();
    void TypedDeviceIsUsedAndRemembered();
    void CandidatePortsIncludeStableNames();
    void SettingsAreReadOnShowAndWrittenOnClose();
    void ChangesStopTheExchangeAndWriteTheSettings();
    void ServiceUnlock();
    void ProgrammingThroughTheWindow();
    void ReadingThroughTheWindow();
    void ReadingTheClock();
    void FaultsNeverReportSuccess();
    void StopAndNoAnswer();
    void ClockButtonsWaitForTheExchange();
    void NoPortSelected();
    void SizeWarningSurvivesShowing();
    void NothingToProgram();
    void ClosingUntouchedLeavesNotDone();
};

void FormTest::ControlsTextsAndHelpContexts() {
    TWindow w("");
    TForm1& f = w.Export(Image(100, 1));
    QCOMPARE(f.windowTitle(), QString("Программатор НВТ-3М"));
    QVERIFY(f.width() >= 322 && f.height() >= 208);
    QCOMPARE(f.minimumSize(), f.maximumSize()); // fixed border
    QVERIFY(!(f.windowFlags() & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(f.GroupBox1->title(), QString("Настройки COM-порта"));
    QCOMPARE(f.Label1->text(), QString("Порт"));
    QCOMPARE(f.Label2->text(), QString("Скорость"));
    QCOMPARE(f.Label3->text(), QString("Девятый бит"));
    QCOMPARE(Status(f), QString("Готов к программированию"));
    QCOMPARE(f.Button1->text(), QString("Программировать"));
    QCOMPARE(f.Button4->text(), QString("Читать"));
    QCOMPARE(f.Button2->text(), QString("Остановить"));
    QCOMPARE(f.Button6->text(), QString("Считать время"));
    QCOMPARE(f.Button5->text(), QString("Синхр. время"));
    QCOMPARE(f.Button3->text(), QString("Выйти"));
    QStringList ninth;
    for (int i = 0; i < f.ComboBox2->count(); ++i)
        ninth << f.ComboBox2->itemText(i);
    QCOMPARE(ninth, QStringList({"нет", "четность", "нечетность", "всегда 0", "всегда 1"}));

    // Initial states: the service settings greyed, "Остановить" off.
    QVERIFY(f.Label1->isEnabled());
    QVERIFY(!f.Label2->isEnabled() && !f.vxIntEdit1->isEnabled());
    QVERIFY(!f.Label3->isEnabled() && !f.ComboBox2->isEnabled());
    QCOMPARE(f.vxIntEdit1->Value(), 10417);
    QCOMPARE(f.ComboBox2->currentIndex(), 0);
    QVERIFY(f.Button1->isVisible() && f.Button1->isEnabled() && f.Button1->isDefault());
    QVERIFY(!f.Button4->isVisible());
    QVERIFY(!f.Button2->isEnabled());
    QVERIFY(f.Button5->isEnabled() && f.Button6->isEnabled());
    QCOMPARE(f.ProgressBar1->value(), 0);
    QCOMPARE(f.ProgressBar1->maximum(), 7);
    QVERIFY(!f.Timer1->isActive());
    QCOMPARE(f.Timer1->interval(), 10000);
    QVERIFY(!f.MyComm32.Connected());
    QCOMPARE(f.ResultCode(), 3);

    QCOMPARE(Help(&f), 30000);
    QCOMPARE(Help(f.ComboBox1), 30004);
    QCOMPARE(Help(f.vxIntEdit1), 30005);
    QCOMPARE(Help(f.ComboBox2), 30006);
    QCOMPARE(Help(f.Label4), 30007);
    QCOMPARE(Help(f.ProgressBar1), 30008);

    // Reading shows "Читать" in the same place instead.
    TWindow r("");
    std::uint8_t buffer[2048];
    TForm1& g = r.Import(buffer);
    QVERIFY(g.Button4->isVisible() && g.Button4->isDefault() && !g.Button1->isVisible());
    QCOMPARE(g.Button4->geometry(), f.Button1->geometry());
    QCOMPARE(g.BlockCount(), 128);
    QCOMPARE(g.ProgressBar1->maximum(), 128);
}

void FormTest::PortListOffersTheDevicesThatOpen() {
    sim::TControllerSim a(QuickSim()), b(QuickSim()), held(QuickSim());
    TempDir dir;
    const std::string notATty = dir.File("plain-file");
    WriteBytes(notATty, "x");
    // A port another user holds is not offered.
    TComm32 other;
    other.SetCommPort(held.DevicePath());
    QVERIFY(other.OpenPort());

    const std::string devices = " " + a.DevicePath() + " ;/dev/no-such-port;" + notATty + ";" +
                                held.DevicePath() + ";" + b.DevicePath() + ";" + a.DevicePath();
    TWindow w(devices);
    const TForm1& f = *w.Form;
    QVERIFY(f.ComboBox1->count() >= 2);
    QCOMPARE(f.ComboBox1->itemText(0).toStdString(), a.DevicePath());
    QCOMPARE(f.ComboBox1->itemText(1).toStdString(), b.DevicePath());
    for (int i = 2; i < f.ComboBox1->count(); ++i) {
        const std::string item = f.ComboBox1->itemText(i).toStdString();
        QVERIFY(item != a.DevicePath() && item != held.DevicePath() && item != notATty);
        QVERIFY(item.rfind("/dev/tty", 0) == 0);
    }
    QCOMPARE(f.ComboBox1->currentIndex(), 0);
    // Probing left nothing open.
    QVERIFY(!f.MyComm32.Connected());
    TComm32 probe;
    probe.SetCommPort(a.DevicePath());
    QVERIFY(probe.OpenPort());
}

// Settings that name no device (written before devices were kept by path)
// choose by position.
void FormTest::ChosenPortIsRememberedByPosition() {
    sim::TControllerSim first(QuickSim()), second(QuickSim());
    TWindow w(first.DevicePath() + ";" + second.DevicePath(), "ComPort=1\r\n");
    w.Export(Image(16, 1));
    QCOMPARE(w.Form->ComboBox1->currentText().toStdString(), second.DevicePath());
    w.Form->close();
    QCOMPARE(ReadKey(w.Settings, "ComPort"), std::string("1"));
    QCOMPARE(ReadKey(w.Settings, "Port"), second.DevicePath());
}

// A device that disappears before the chosen one does not move the choice
// onto its neighbour.
void FormTest::ChosenPortIsRememberedByPath() {
    auto first = std::make_unique<sim::TControllerSim>(QuickSim());
    sim::TControllerSim second(QuickSim()), third(QuickSim());
    const std::string tail = ";" + second.DevicePath() + ";" + third.DevicePath();
    TWindow w(first->DevicePath() + tail);
    TForm1& f = w.Export(Image(16, 1));
    f.ComboBox1->setCurrentIndex(1);
    emit f.ComboBox1->activated(1);
    f.close();

    first.reset();
    auto again = std::make_unique<TForm1>(w.Settings);
    again->FillPortList();
    again->PrepareExport(Image(16, 1).data(), 16);
    again->show();
    QCOMPARE(again->ComboBox1->itemText(0).toStdString(), second.DevicePath());
    QCOMPARE(again->ComboBox1->currentText().toStdString(), second.DevicePath());
    QCOMPARE(again->ComboBox1->currentIndex(), 0);
}

// A device the list does not offer, typed into the field, is the one the
// exchange opens, and it is offered again at the next start.
void FormTest::TypedDeviceIsUsedAndRemembered() {
    sim::TControllerSim sim(QuickSim());
    sim.Start();
    TWindow w("");
    const Bytes image = Image(40, 3);
    TForm1& f = w.Export(image);
    QVERIFY(f.ComboBox1->isEditable());
    QVERIFY(f.ComboBox1->findText(QString::fromStdString(sim.DevicePath())) < 0);
    f.ComboBox1->setFocus();
    f.ComboBox1->lineEdit()->selectAll();
    QTest::keyClicks(f.ComboBox1->lineEdit(), QString::fromStdString(sim.DevicePath()));
    QCOMPARE(ReadKey(w.Settings, "Port"), std::string("<missing>"));
    // Enter takes the typed device and presses the default button.
    QTest::keyClick(f.ComboBox1->lineEdit(), Qt::Key_Return);
    QCOMPARE(ReadKey(w.Settings, "Port"), sim.DevicePath());
    QVERIFY(f.Programmer().Running());
    // Typing adds nothing to the list of devices found.
    QVERIFY(f.ComboBox1->findText(QString::fromStdString(sim.DevicePath())) < 0);
    QTRY_COMPARE_WITH_TIMEOUT(Status(f), QString("Программирование закончено"), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Programmer().Running(), kWaitMs);
    QVERIFY(FlashOf(sim) == ExpectedFlash(image));
    f.close();

    TForm1 again(w.Settings);
    again.FillPortList();
    again.PrepareExport(image.data(), std::int32_t(image.size()));
    again.show();
    QCOMPARE(again.ComboBox1->currentText().toStdString(), sim.DevicePath());

    // A typed path that is no device fails to open, as a vanished port does.
    TWindow none("");
    TForm1& g = none.Export(image);
    g.ComboBox1->setEditText(QString::fromStdString(none.Dir.File("ttyNone")));
    g.Button1->click();
    QCOMPARE(Status(g), QString("Ошибка открытия порта!"));
    QCOMPARE(g.ResultCode(), 4);
}

void FormTest::CandidatePortsIncludeStableNames() {
    TempDir dev;
    for (const char* name : {"ttyS10", "ttyS2", "ttyUSB0", "ttyX", "tty", "console"})
        WriteBytes(dev.File(name), "");
    std::filesystem::create_directories(dev.File("serial/by-id"));
    std::filesystem::create_symlink("../../ttyUSB0",
                                    dev.File("serial/by-id/usb-FTDI_FT232R_A1-if00-port0"));
    const std::vector<std::string> expected = {
        "/tmp/pty-named",
        dev.File("ttyS2"),
        dev.File("ttyS10"),
        dev.File("ttyUSB0"),
        dev.File("serial/by-id/usb-FTDI_FT232R_A1-if00-port0"),
    };
    QCOMPARE(serlink::CandidatePorts(" /tmp/pty-named ;;" + dev.File("ttyS2"), dev.Path()),
             expected);
}

void FormTest::SettingsAreReadOnShowAndWrittenOnClose() {
    sim::TControllerSim a(QuickSim()), b(QuickSim());
    TWindow w(a.DevicePath() + ";" + b.DevicePath(),
              "ComPort=1\r\nBaudRate=9600\r\nParity=2\r\n[Recent]\r\nFile1=/x/Cross.NVT\r\n");
    TForm1& f = *w.Form;
    QSignalSpy changes(f.vxIntEdit1, &TvxSpinEdit::Change);
    w.Export(Image(40, 1));
    QCOMPARE(f.ComboBox1->currentIndex(), 1);
    QCOMPARE(f.vxIntEdit1->Value(), 9600);
    QCOMPARE(f.ComboBox2->currentIndex(), 2);
    QCOMPARE(f.ResultCode(), 3);
    QCOMPARE(Status(f), QString("Готов к программированию"));

    // A second showing does not take the settings again.
    f.hide();
    f.ComboBox1->setCurrentIndex(0);
    f.show();
    QCOMPARE(f.ComboBox1->currentIndex(), 0);

    f.close();
    QVERIFY(!f.isVisible());
    QCOMPARE(ReadKey(w.Settings, "ComPort"), std::string("0"));
    QCOMPARE(ReadKey(w.Settings, "BaudRate"), std::string("9600"));
    QCOMPARE(ReadKey(w.Settings, "Parity"), std::string("2"));
    // The rest of the file stays: the devices and the configurator's section.
    QVERIFY(ReadBytes(w.Settings).find("[Recent]\r\nFile1=/x/Cross.NVT") != std::string::npos);
    QCOMPARE(ReadKey(w.Settings, "Devices"), a.DevicePath() + ";" + b.DevicePath());

    // Defaults without a file, and a file is made on closing; values the
    // controls cannot take fall back to something they can.
    TempDir dir;
    const std::string fresh = dir.File("sub/NVT-3.ini");
    TForm1 g(fresh);
    g.FillPortList();
    g.PrepareExport(Image(1, 1).data(), 1);
    g.show();
    QCOMPARE(g.vxIntEdit1->Value(), 10417);
    QCOMPARE(g.ComboBox2->currentIndex(), 0);
    g.close();
    QCOMPARE(ReadKey(fresh, "BaudRate"), std::string("10417"));
    QCOMPARE(ReadKey(fresh, "Parity"), std::string("0"));

    TWindow bad("", "BaudRate=zero\r\nParity=9\r\n");
    bad.Export(Image(1, 1));
    QCOMPARE(bad.Form->vxIntEdit1->Value(), 10417);
    QCOMPARE(bad.Form->ComboBox2->currentIndex(), 0);
}

void FormTest::ChangesStopTheExchangeAndWriteTheSettings() {
    sim::TSimOptions silent = QuickSim();
    silent.NoHello = true;
    sim::TControllerSim a(silent);
    a.Start();
    TWindow w(a.DevicePath());
    TForm1& f = w.Export(Image(50, 1));
    f.Button1->click();
    QVERIFY(f.Programmer().Running());
    QCOMPARE(Status(f), QString("Установка связи"));

    // Picking a port (even the same one) is a change by the user.
    emit f.ComboBox1->activated(0);
    QVERIFY(!f.Programmer().Running());
    QVERIFY(!f.MyComm32.Connected());
    QCOMPARE(Status(f), QString("Готов к программированию"));
    QCOMPARE(ReadKey(w.Settings, "ComPort"), std::string("0"));

    f.vxIntEdit1->SetValue(19200);
    QCOMPARE(ReadKey(w.Settings, "BaudRate"), std::string("19200"));
    f.ComboBox2->setCurrentIndex(4);
    emit f.ComboBox2->activated(4);
    QCOMPARE(ReadKey(w.Settings, "Parity"), std::string("4"));
}

void FormTest::ServiceUnlock() {
    TWindow w("");
    TForm1& f = w.Export(Image(10, 1));
    // Near misses do nothing.
    QTest::keyClick(f.ComboBox1, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    QTest::keyClick(f.ComboBox1, Qt::Key_J,
                    Qt::ControlModifier | Qt::ShiftModifier | Qt::MetaModifier);
    QTest::keyClick(&f, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QVERIFY(!f.vxIntEdit1->isEnabled() && !f.ComboBox2->isEnabled());

    QTest::keyClick(f.ComboBox1, Qt::Key_J,
                    Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QVERIFY(f.ServiceUnlocked());
    QVERIFY(f.vxIntEdit1->isEnabled() && f.ComboBox2->isEnabled());
    QVERIFY(!f.Label2->isEnabled() && !f.Label3->isEnabled());

    // From the window itself too.
    TWindow w2("");
    TForm1& g = w2.Export(Image(10, 1));
    QTest::keyClick(&g, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    QVERIFY(g.vxIntEdit1->isEnabled() && g.ComboBox2->isEnabled());
}

void FormTest::ProgrammingThroughTheWindow() {
    sim::TControllerSim sim(QuickSim());
    sim.Start();
    TWindow w(sim.DevicePath());
    const Bytes image = Image(100, 5);
    TForm1& f = w.Export(image);
    QList<int> maxima;
    QObject::connect(f.ProgressBar1, &QProgressBar::valueChanged,
                     [&](int v) { maxima << (v == f.ProgressBar1->maximum() ? v : -1); });

    f.Button1->click();
    QVERIFY(f.Programmer().Running());
    QVERIFY(!f.Button1->isEnabled());
    QVERIFY(f.Button2->isEnabled());
    QVERIFY(f.Timer1->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(Status(f), QString("Программирование закончено"), kWaitMs);
    QCOMPARE(f.ResultCode(), 0);
    // The end frame goes out and the port closes after a moment.
    QTRY_VERIFY_WITH_TIMEOUT(!f.Programmer().Running(), kWaitMs);
    QVERIFY(!f.MyComm32.Connected());
    QVERIFY(f.Button1->isEnabled());
    QVERIFY(!f.Button2->isEnabled());
    QVERIFY(!f.Timer1->isActive());
    QCOMPARE(f.ProgressBar1->maximum(), 7);
    QCOMPARE(f.ProgressBar1->value(), 0);
    QCOMPARE(maxima.count(7), 2); // a write pass and a verify pass
    QVERIFY(FlashOf(sim) == ExpectedFlash(image));
    QTRY_COMPARE_WITH_TIMEOUT(sim.Stats().Ends, 1, kWaitMs);
    QCOMPARE(sim.Stats().BlocksWritten, 7);

    // "Выйти" keeps the result of the finished operation.
    f.Button3->click();
    QVERIFY(!f.isVisible());
    QCOMPARE(f.result(), int(QDialog::Accepted));
    QCOMPARE(f.ResultCode(), 0);
}

void FormTest::ReadingThroughTheWindow() {
    sim::TSimOptions o = QuickSim();
    o.Flash = Image(2048, 33);
    sim::TControllerSim sim(o);
    sim.Start();
    TWindow w(sim.DevicePath());
    Bytes buffer(2048, 0);
    TForm1& f = w.Import(buffer.data());
    f.Button4->click();
    QVERIFY(!f.Button4->isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(Status(f), QString("Чтение закончено"), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Programmer().Running(), kWaitMs);
    QVERIFY(f.Button4->isEnabled());
    QCOMPARE(f.ResultCode(), 0);
    QVERIFY(buffer == o.Flash);
}

void FormTest::ReadingTheClock() {
    sim::TSimOptions o = QuickSim();
    o.Clock = ExampleTime();
    o.FreezeClock = true;
    sim::TControllerSim sim(o);
    sim.Start();
    TWindow w(sim.DevicePath());
    TForm1& f = w.Export(Image(10, 1));
    // In Russian whatever the desktop's locale (the tests run in the C
    // locale), as the command-line tool prints it, and whole.
    f.Button6->click();
    QTRY_VERIFY_WITH_TIMEOUT(Status(f).startsWith("Время в НВТ: "), kWaitMs);
    QCOMPARE(Status(f), QString(kExampleClockText));
    QVERIFY(f.Label4->wordWrap());
    const QRect needed = f.Label4->fontMetrics().boundingRect(f.Label4->contentsRect(),
                                                              Qt::TextWordWrap, f.Label4->text());
    QVERIFY2(needed.height() <= f.Label4->contentsRect().height(),
             qPrintable(QString("%1 > %2").arg(needed.height()).arg(f.Label4->height())));
    QVERIFY(needed.width() <= f.Label4->contentsRect().width());
    QTRY_VERIFY_WITH_TIMEOUT(!f.Programmer().Running(), kWaitMs);
    // Only programming and reading count as done.
    QCOMPARE(f.ResultCode(), 3);

    // Setting sends the PC's time; the controller answers with its clock.
    f.Button5->click();
    QTRY_VERIFY_WITH_TIMEOUT(sim.Stats().ClockSets == 1, kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Programmer().Running(), kWaitMs);
    QVERIFY(Status(f).startsWith("Время в НВТ: "));
}

void FormTest::FaultsNeverReportSuccess() {
    sim::TSimOptions o = QuickSim();
    o.CorruptReply = 1;
    o.CorruptCount = 1000;
    sim::TControllerSim sim(o);
    sim.Start();
    TWindow w(sim.DevicePath());
    TForm1& f = w.Export(Image(64, 2));
    f.Button1->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f.Programmer().Running(), kWaitMs);
    QVERIFY(!f.Programmer().ExchangeSucceeded());
    QCOMPARE(Status(f), QString("Ошибка верификации!"));
    QCOMPARE(f.ResultCode(), 3);
}

void FormTest::StopAndNoAnswer() {
    sim::TSimOptions silent = QuickSim();
    silent.NoHello = true;
    sim::TControllerSim sim(silent);
    sim.Start();
    TWindow w(sim.DevicePath());
    TForm1& f = w.Export(Image(50, 1));

    f.Button1->click();
    QVERIFY(f.MyComm32.Connected());
    f.Button2->click();
    QCOMPARE(Status(f), QString("Операция прервана"));
    QVERIFY(!f.MyComm32.Connected());
    QVERIFY(f.Button1->isEnabled() && !f.Button2->isEnabled());
    QCOMPARE(f.ResultCode(), 3);

    // The no-answer timer runs for ten seconds; here it is made to fire.
    f.Button1->click();
    QVERIFY(f.Timer1->isActive());
    QVERIFY(f.Timer1->remainingTime() > 9000);
    f.Timer1Timer();
    QCOMPARE(Status(f), QString("Нет связи с контроллером"));
    QVERIFY(!f.MyComm32.Connected());
    QVERIFY(!f.Timer1->isActive());
    QCOMPARE(f.ResultCode(), 3);
}

// The clock buttons would break off a running write halfway: they are off
// while any exchange runs, and their handlers leave a running one alone.
void FormTest::ClockButtonsWaitForTheExchange() {
    sim::TSimOptions paced = QuickSim();
    paced.PaceBaud = 10417; // long enough to look at the window midway
    sim::TControllerSim sim(paced);
    sim.Start();
    TWindow w(sim.DevicePath());
    const Bytes image = Image(320, 9);
    TForm1& f = w.Export(image);
    QVERIFY(f.Button5->isEnabled() && f.Button6->isEnabled());
    f.Button1->click();
    QTRY_COMPARE_WITH_TIMEOUT(Status(f), QString("Идет программирование"), kWaitMs);
    QVERIFY(!f.Button5->isEnabled() && !f.Button6->isEnabled());
    f.Button5Click();
    f.Button6Click();
    f.Button4Click();
    QVERIFY(f.Programmer().Running());
    QCOMPARE(Status(f), QString("Идет программирование"));
    QTRY_COMPARE_WITH_TIMEOUT(Status(f), QString("Программирование закончено"), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!f.Programmer().Running(), kWaitMs);
    QVERIFY(f.Button5->isEnabled() && f.Button6->isEnabled());
    QCOMPARE(f.ResultCode(), 0);
    QVERIFY(FlashOf(sim) == ExpectedFlash(image));
    QCOMPARE(sim.Stats().ClockReads + sim.Stats().ClockSets, 0);
}

void FormTest::NoPortSelected() {
    sim::TControllerSim sim(QuickSim());
    TWindow w(sim.DevicePath(), "ComPort=40\r\n");
    TForm1& f = w.Export(Image(50, 1));
    QCOMPARE(f.ComboBox1->currentIndex(), -1);
    f.Button1->click();
    QCOMPARE(Status(f), QString("Ошибка открытия порта!"));
    QCOMPARE(f.ResultCode(), 4);
    QVERIFY(!f.Programmer().Running());
}

void FormTest::SizeWarningSurvivesShowing() {
    // A stored speed other than the default must not replace the warning.
    TWindow w("", "BaudRate=9600\r\n");
    TForm1& f = w.Export(Image(2049, 1));
    QCOMPARE(Status(f), QString("Размер данных слишком велик!"));
    QCOMPARE(f.BlockCount(), 128);
    QCOMPARE(f.ProgressBar1->maximum(), 128);

    TWindow exact("");
    TForm1& g = exact.Export(Image(2048, 1));
    QCOMPARE(Status(g), QString("Готов к программированию"));
    QCOMPARE(g.BlockCount(), 128);
}

void FormTest::NothingToProgram() {
    sim::TControllerSim sim(QuickSim());
    TWindow w(sim.DevicePath());
    TForm1& f = *w.Form;
    f.PrepareExport(nullptr, 100);
    f.show();
    QCOMPARE(f.BlockCount(), 0);
    QVERIFY(!f.Button1->isEnabled());
    f.Button1Click();
    QVERIFY(!f.Programmer().Running());
    QCOMPARE(f.ResultCode(), 3);

    TWindow negative(sim.DevicePath());
    negative.Form->PrepareExport(Image(10, 1).data(), -5);
    QCOMPARE(negative.Form->BlockCount(), 0);
}

void FormTest::ClosingUntouchedLeavesNotDone() {
    for (int way = 0; way < 3; ++way) {
        TWindow w("");
        TForm1& f = w.Export(Image(100, 1));
        if (way == 0)
            f.Button3->click();
        else if (way == 1)
            QTest::keyClick(&f, Qt::Key_Escape);
        else
            f.close();
        QVERIFY(!f.isVisible());
        QCOMPARE(f.ResultCode(), 3);
        QCOMPARE(ReadKey(w.Settings, "BaudRate"), std::string("10417"));
    }
}

QTEST_MAIN(FormTest)
#include "FormTest.moc"
