#include "diagram/SchemaAccessible_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "relations/TSchemaRelation.h"

#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QPointer>

namespace Diduza {

namespace {

QString schemaText(const char *text, int n = -1)
{
    return QCoreApplication::translate("Diduza::SchemaAccessible", text, nullptr, n);
}

TSchemaDesignArea *areaOfViewport(QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    auto *area = widget ? qobject_cast<TSchemaDesignArea *>(widget->parentWidget()) : nullptr;
    return area && area->viewport() == widget ? area : nullptr;
}

// A relation reads as its join, as its tool tip shows it: the condition as its name, the kind
// of join and the rows it keeps as its description.
QString relationText(const TSchemaRelation *relation, QAccessible::Text t)
{
    const QString join = relation->JoinText();
    const qsizetype lineEnd = join.indexOf(QLatin1Char('\n'));
    if (t == QAccessible::Name)
        return lineEnd < 0 ? join : join.left(lineEnd);
    return lineEnd < 0 ? QString() : join.mid(lineEnd + 1);
}

class ItemAccessible : public QAccessibleWidget {
public:
    explicit ItemAccessible(TSchemaItem *item)
        : QAccessibleWidget(item, QAccessible::Grouping)
    {
    }
    QString text(QAccessible::Text t) const override
    {
        auto *item = static_cast<TSchemaItem *>(object());
        if (t == QAccessible::Name)
            return item->GetCaption();
        if (t == QAccessible::Description)
            return schemaText(
                QT_TRANSLATE_N_NOOP("Diduza::SchemaAccessible", "table with %n field(s)"),
                item->GetSubItemCount());
        return QAccessibleWidget::text(t);
    }
};

class RelationAccessible : public QAccessibleInterface {
public:
    explicit RelationAccessible(TSchemaRelation *relation)
        : FRelation(relation)
    {
    }
    bool isValid() const override { return FRelation && FRelation->Area(); }
    QObject *object() const override { return FRelation; }
    QWindow *window() const override
    {
        TSchemaDesignArea *area = isValid() ? FRelation->Area() : nullptr;
        return area ? area->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return isValid() ? QAccessible::queryAccessibleInterface(FRelation->Area()->viewport())
                         : nullptr;
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return QString();
        if (t == QAccessible::Name || t == QAccessible::Description)
            return relationText(FRelation, t);
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect bounds = FRelation->BoundsRect();
        return QRect(FRelation->Area()->viewport()->mapToGlobal(bounds.topLeft()), bounds.size());
    }
    QAccessible::Role role() const override { return QAccessible::Link; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        TSchemaDesignArea *area = FRelation->Area();
        s.focusable = area->KeyboardNavigation();
        s.focused = area->hasFocus() && area->CurrentRelation() == FRelation;
        s.invisible = !FRelation->Visible();
        return s;
    }

private:
    QPointer<TSchemaRelation> FRelation;
};

// The viewport: its item windows, then the relations drawn on it.
class ViewportAccessible : public QAccessibleWidget {
public:
    ViewportAccessible(QWidget *viewport, TSchemaDesignArea *area)
        : QAccessibleWidget(viewport, QAccessible::Canvas)
        , FArea(area)
    {
    }
    int childCount() const override
    {
        return QAccessibleWidget::childCount() + (FArea ? FArea->GetRelationCount() : 0);
    }
    QAccessibleInterface *child(int index) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        if (!FArea || index - widgets >= FArea->GetRelationCount())
            return nullptr;
        return QAccessible::queryAccessibleInterface(FArea->GetRelation(index - widgets));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (auto *relation = qobject_cast<TSchemaRelation *>(child ? child->object() : nullptr)) {
            const int index = FArea ? FArea->IndexOfControl(relation) : -1;
            return index < 0 ? -1 : QAccessibleWidget::childCount() + index;
        }
        return QAccessibleWidget::indexOfChild(child);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && FArea)
            return schemaText(
                QT_TRANSLATE_N_NOOP("Diduza::SchemaAccessible", "diagram of %n table(s)"),
                FArea->GetItemCount());
        return QAccessibleWidget::text(t);
    }

private:
    QPointer<TSchemaDesignArea> FArea;
};

QAccessibleInterface *factory(const QString &, QObject *object)
{
    if (auto *item = qobject_cast<TSchemaItem *>(object))
        return new ItemAccessible(item);
    if (auto *relation = qobject_cast<TSchemaRelation *>(object))
        return new RelationAccessible(relation);
    if (TSchemaDesignArea *area = areaOfViewport(object))
        return new ViewportAccessible(static_cast<QWidget *>(object), area);
    return nullptr;
}

} // namespace

void InstallSchemaAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace Diduza
