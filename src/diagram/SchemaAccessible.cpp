#include "diagram/SchemaAccessible_p.h"

#include "diagram/TSchemaDesignArea.h"
#include "diagram/TSchemaItem.h"
#include "diagram/TSchemaSubItem.h"
#include "platform/RelationOperators_p.h"
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

QString relationName(const TSchemaRelation *relation)
{
    auto end = [](TSchemaItem *item, TSchemaSubItem *row) {
        return (item ? item->GetCaption() : QString()) + QLatin1Char('.')
            + (row ? row->Caption() : QString());
    };
    return schemaText(QT_TRANSLATE_NOOP("Diduza::SchemaAccessible", "relation %1 to %2"))
        .arg(end(relation->ParentItem(), relation->ParentSubItem()),
            end(relation->ChildItem(), relation->ChildSubItem()));
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
        : m_relation(relation)
    {
    }
    bool isValid() const override { return m_relation && m_relation->Area(); }
    QObject *object() const override { return m_relation; }
    QWindow *window() const override
    {
        TSchemaDesignArea *area = isValid() ? m_relation->Area() : nullptr;
        return area ? area->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *parent() const override
    {
        return isValid() ? QAccessible::queryAccessibleInterface(m_relation->Area()->viewport())
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
        if (t == QAccessible::Name)
            return relationName(m_relation);
        if (t == QAccessible::Description) {
            static const char *const kinds[]
                = { QT_TRANSLATE_NOOP("Diduza::SchemaAccessible", "inner join"),
                      QT_TRANSLATE_NOOP("Diduza::SchemaAccessible", "left outer join"),
                      QT_TRANSLATE_NOOP("Diduza::SchemaAccessible", "right outer join"),
                      QT_TRANSLATE_NOOP("Diduza::SchemaAccessible", "full join") };
            return schemaText(QT_TRANSLATE_NOOP("Diduza::SchemaAccessible", "%1 on %2"))
                .arg(schemaText(kinds[m_relation->JoinType()]),
                    QString::fromLatin1(RelationOperatorSql(m_relation->JoinOperator())));
        }
        return QString();
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect bounds = m_relation->BoundsRect();
        return QRect(m_relation->Area()->viewport()->mapToGlobal(bounds.topLeft()), bounds.size());
    }
    QAccessible::Role role() const override { return QAccessible::Link; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        TSchemaDesignArea *area = m_relation->Area();
        s.focusable = area->KeyboardNavigation();
        s.focused = area->hasFocus() && area->CurrentRelation() == m_relation;
        s.invisible = !m_relation->Visible();
        return s;
    }

private:
    QPointer<TSchemaRelation> m_relation;
};

// The viewport: its item windows, then the relations drawn on it.
class ViewportAccessible : public QAccessibleWidget {
public:
    ViewportAccessible(QWidget *viewport, TSchemaDesignArea *area)
        : QAccessibleWidget(viewport, QAccessible::Canvas)
        , m_area(area)
    {
    }
    int childCount() const override
    {
        return QAccessibleWidget::childCount() + (m_area ? m_area->GetRelationCount() : 0);
    }
    QAccessibleInterface *child(int index) const override
    {
        const int widgets = QAccessibleWidget::childCount();
        if (index < widgets)
            return QAccessibleWidget::child(index);
        if (!m_area || index - widgets >= m_area->GetRelationCount())
            return nullptr;
        return QAccessible::queryAccessibleInterface(m_area->GetRelation(index - widgets));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (auto *relation = qobject_cast<TSchemaRelation *>(child ? child->object() : nullptr)) {
            const int index = m_area ? m_area->IndexOfControl(relation) : -1;
            return index < 0 ? -1 : QAccessibleWidget::childCount() + index;
        }
        return QAccessibleWidget::indexOfChild(child);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && m_area)
            return schemaText(
                QT_TRANSLATE_N_NOOP("Diduza::SchemaAccessible", "diagram of %n table(s)"),
                m_area->GetItemCount());
        return QAccessibleWidget::text(t);
    }

private:
    QPointer<TSchemaDesignArea> m_area;
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
