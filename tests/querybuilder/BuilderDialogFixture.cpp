#include "BuilderDialogFixture.h"

using namespace Diduza;
using DiduzaTest::FakeDialogService;

namespace BuilderDialogTest {

void BuilderDialogFixture::init()
{
    m_dialogs = std::make_unique<FakeDialogService>();
    m_errors = std::make_unique<DiduzaTest::ExceptionRecorder>();
    m_engine = std::make_unique<Engine>();
    m_form = std::make_unique<Builder>();
    m_form->SetDataEngine(m_engine.get());
}

void BuilderDialogFixture::cleanup()
{
    m_form.reset();
    m_engine.reset();
    const QStringList errors = m_errors->messages;
    m_errors.reset();
    m_dialogs.reset();
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join("; ")));
}

} // namespace BuilderDialogTest
