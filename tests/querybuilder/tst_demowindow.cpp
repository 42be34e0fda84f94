// The demo's main window on its screen: at 2x its designed size was larger than the screen.

#include "DemoWindow.h"

#include <QLabel>
#include <QMainWindow>
#include <QScreen>
#include <QtTest>

class tst_DemoWindow : public QObject {
    Q_OBJECT
private slots:
    void fitsTheScreen_data();
    void fitsTheScreen();
};

void tst_DemoWindow::fitsTheScreen_data()
{
    QTest::addColumn<QSize>("preferred");
    QTest::addColumn<bool>("asPreferred"); // where the screen has room
    QTest::newRow("the demo's size") << QSize(1000, 680) << false;
    QTest::newRow("a small window keeps its size") << QSize(240, 160) << true;
    QTest::newRow("far larger than any screen") << QSize(20000, 20000) << false;
}

void tst_DemoWindow::fitsTheScreen()
{
    QFETCH(QSize, preferred);
    QFETCH(bool, asPreferred);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("diagram")));
    FitDemoWindow(&window, preferred);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QRect room = window.screen()->availableGeometry();
    // The offscreen screen is 800 x 600, 400 x 300 at QT_SCALE_FACTOR=2: the demo's size is
    // larger than either.
    QVERIFY(asPreferred || !room.contains(QRect(room.topLeft(), preferred)));
    QTRY_VERIFY2(room.contains(window.frameGeometry()),
        qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                       .arg(window.frameGeometry().x())
                       .arg(window.frameGeometry().y())
                       .arg(window.frameGeometry().width())
                       .arg(window.frameGeometry().height())
                       .arg(room.width())
                       .arg(room.height())));
    if (asPreferred)
        QCOMPARE(window.size(), preferred);
}

QTEST_MAIN(tst_DemoWindow)
#include "tst_demowindow.moc"
