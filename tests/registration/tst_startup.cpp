// What the library must know before the first item measures itself: the check-box glyph of the
// application's style. The program asks the library nothing first; a static initializer even
// asks for CheckWidth before any application exists, which must not fix the answer.

#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QtTest>

using namespace Diduza;

namespace {

// Asked before main, without an application.
const int EarlyCheckWidth = CheckWidth();

// A style whose check box is IndicatorWidth pixels wide.
class IndicatorStyle : public QProxyStyle {
public:
    explicit IndicatorStyle(int width)
        : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")))
        , m_width(width)
    {
    }
    int pixelMetric(
        PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_IndicatorWidth)
            return m_width;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

private:
    int m_width;
};

} // namespace

class tst_StartUp : public QObject {
    Q_OBJECT
private slots:
    void firstCallMakesAnItem_data();
    void firstCallMakesAnItem();
};

void tst_StartUp::firstCallMakesAnItem_data()
{
    QTest::addColumn<int>("indicator");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("width");
    // 110 (the narrowest row area) + 5 (border) + 20 + the check box; text and icon items have
    // no check box. Each row is a new application with its own style.
    QTest::newRow("check list, wide box") << 31 << int(scCheckListBox) << 166;
    QTest::newRow("list, narrow box") << 9 << int(scListBox) << 144;
    QTest::newRow("tree, wide box") << 31 << int(scTreeView) << 166;
    QTest::newRow("check list, narrow box") << 9 << int(scCheckListBox) << 144;
}

void tst_StartUp::firstCallMakesAnItem()
{
    QFETCH(int, indicator);
    QFETCH(int, type);
    QFETCH(int, width);
    QCOMPARE(EarlyCheckWidth, 13); // the classic size, given but not kept

    int argc = 1;
    char name[] = "tst_startup";
    char *argv[] = { name, nullptr };
    QApplication app(argc, argv);
    QApplication::setStyle(new IndicatorStyle(indicator));

    // The first call into the library of this application makes an item.
    auto item = std::make_unique<TSchemaItem>(nullptr, TSchemaControlType(type));
    item->AddSubItem(QStringLiteral("id"), -1, false);
    item->Activate(QString(), 0, 0);
    QCOMPARE(item->width(), width);
    QCOMPARE(CheckWidth(), indicator);
}

QTEST_APPLESS_MAIN(tst_StartUp)
#include "tst_startup.moc"
