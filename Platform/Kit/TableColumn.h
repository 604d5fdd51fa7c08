#pragma once

#include "Platform/Kit/KitExport.h"

#include <string>

namespace Kit {

class TableView;

// A column of a table view: identifier, header title and width.
class AERLO_KIT_EXPORT TableColumn {
public:
    explicit TableColumn(std::string identifier, double width = 100) : identifier_(std::move(identifier)), width_(width)
    {
    }

    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }
    const std::string& title() const { return title_; }
    void setTitle(std::string title) { title_ = std::move(title); }
    double width() const { return width_; }
    void setWidth(double width);
    double minWidth() const { return minWidth_; }
    void setMinWidth(double width);
    double maxWidth() const { return maxWidth_; }
    void setMaxWidth(double width);
    bool isHidden() const { return hidden_; }
    void setHidden(bool hidden) { hidden_ = hidden; }
    bool isEditable() const { return editable_; }
    void setEditable(bool editable) { editable_ = editable; }
    TableView* tableView() const { return tableView_; }

private:
    friend class TableView;
    std::string identifier_;
    std::string title_;
    double width_;
    double minWidth_ = 10;
    double maxWidth_ = 100000;
    bool hidden_ = false;
    bool editable_ = true;
    TableView* tableView_ = nullptr;
};

} // namespace Kit
