#pragma once

// The item tool bar of a design area: one button per kind of item, and a drop-down menu of
// icon pictures on the icon button, in a band across the top. Owned by
// TSchemaDesignAreaPrivate. Not installed.

#include <QMenu>
#include <QPointer>
#include <QToolBar>
#include <QWidget>

class QObject;

namespace Diduza {

class TImageList;
class TSchemaDesignArea;

class AreaToolbar {
public:
    explicit AreaToolbar(TSchemaDesignArea *area)
        : q(area)
    {
    }
    ~AreaToolbar();
    AreaToolbar(const AreaToolbar &) = delete;
    AreaToolbar &operator=(const AreaToolbar &) = delete;

    bool shown() const { return FShown; }
    // Builds the tool bar, or removes it.
    void setShown(bool Value);
    QWidget *coolBar() const { return FcbItems; }
    QToolBar *toolBar() const { return FtbItems; }
    TImageList *images() const { return FtbImages; }
    QMenu *iconMenu() const { return pmIconList; }
    // Keeps the band as wide as the viewport.
    void fitWidth();
    // The click handlers (see TSchemaDesignArea::AddNewItem and AddNewIcon).
    void addNewItem(QObject *Sender);
    void addNewIcon(QObject *Sender);
    // The image list has no owner; the other parts go with the area's children.
    void releaseImages();

private:
    void create();
    void destroy();

    TSchemaDesignArea *const q;
    bool FShown = false;
    QPointer<QWidget> FcbItems;
    QPointer<QToolBar> FtbItems;
    TImageList *FtbImages = nullptr;
    QPointer<QMenu> pmIconList;
};

} // namespace Diduza
