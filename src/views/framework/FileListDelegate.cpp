#include "views/framework/FileListDelegate.h"

#include "views/framework/FileListModel.h"
#include "views/framework/ListRules.h"

#include <QAbstractItemView>
#include <QApplication>

namespace {

// The width the style leaves for the text of the cell.
int TextRoom(const QStyleOptionViewItem& option)
{
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    return style->subElementRect(QStyle::SE_ItemViewItemText, &option, option.widget).width() - 2 * margin;
}

}  // namespace

void TFileListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->text.isEmpty()) return;
    const QVariant bytes = index.data(TFileListModel::ByteCountRole);
    if (!bytes.isValid() || option->fontMetrics.horizontalAdvance(option->text) <= TextRoom(*option)) return;
    option->text = TListRules::HumanSizeText(bytes.toULongLong());
}

QString TFileListDelegate::ShownText(const QModelIndex& index, const QRect& rect) const
{
    QStyleOptionViewItem option;
    if (auto* view = qobject_cast<QAbstractItemView*>(parent())) {
        option.initFrom(view);
        option.widget = view;
    }
    option.rect = rect;
    initStyleOption(&option, index);
    return option.text;
}
