#include "SqlBuilderFixture.h"

#include "platform/Application.h"
#include "platform/Exceptions.h"

#include <QtTest>

using namespace Diduza;

namespace SqlBuilderTest {

void SqlBuilderFixture::init()
{
    m_previousDialogs = SetDialogService(&m_dialogs);
    m_dialogs.warnings.clear();
    m_errors.clear();
    SetExceptionHandler([this](const Exception &e) { m_errors << e.Message(); });
    m_engine = std::make_unique<TSchemaCustomDataEngine>();
    serveFields(*m_engine);
    m_form = std::make_unique<Builder>();
    m_form->SetDataEngine(m_engine.get());
}

void SqlBuilderFixture::cleanup()
{
    m_form.reset();
    m_engine.reset();
    SetExceptionHandler({});
    SetDialogService(m_previousDialogs);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join("; ")));
}

void SqlBuilderFixture::addTables()
{
    QVERIFY(addTable(*m_form, "customer"));
    QVERIFY(addTable(*m_form, "orders"));
}

void SqlBuilderFixture::showForm()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
}

} // namespace SqlBuilderTest
