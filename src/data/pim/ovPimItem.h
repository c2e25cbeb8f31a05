#pragma once
// An item of the personal information store: a contact, an appointment or a task. Items
// are plain values read from the store; changes reach the store only through save().
// An item keeps a weak link to the store it belongs to, so it may outlive the store
// (save then fails) and copies of it may be kept freely.
#include "data/pim/ovPimCode.h"

#include <cstdint>
#include <memory>
#include <string>

class ovPimStore;

// The numbers the store's clients pass to create an item of a kind.
enum class ovPimItemType { appointment = 1, contact = 2, task = 3 };

// The store's folders, by the numbers its clients ask for them.
constexpr int ovPimFolderCalendar = 9;
constexpr int ovPimFolderContacts = 10;
constexpr int ovPimFolderTasks = 13;

// Automation dates the store keeps: years 100 to 9999, as the date conversions take them.
bool ovPimIsValidDate(double date);

class ovPimItem {
public:
    virtual ~ovPimItem() = default;

    virtual ovPimItemType itemType() const = 0;
    virtual std::unique_ptr<ovPimItem> clone() const = 0;

    // The store's number for the item; 0 until it is first saved.
    int64_t id() const { return id_; }
    // Writes the item to its store, adding it the first time. When this returns success
    // the item is on disk and survives the end of the process at any moment. An item
    // without a uid is given a new random one first.
    ovResult<> save();

    // The item's lasting name in iCalendar and vCard files (UID); empty until first saved
    // or read from such a file. Items read from a file keep that file's UID.
    const std::string& uid() const { return uid_; }
    void setUid(std::string uid) { uid_ = std::move(uid); }
    // The iCalendar or vCard text the item was read from (UTF-8), or empty. Writing the
    // item out again starts from it, so the properties the store has no field for survive.
    // An item listed by the store reads it from there the first time it is asked for, so
    // that lists do not carry every item's text; empty when the store is closed by then.
    const std::string& sourceText() const;
    void setSourceText(std::string text) {
        sourceText_ = std::move(text);
        sourceLoaded_ = true;
    }

protected:
    ovPimItem() = default;
    explicit ovPimItem(std::weak_ptr<ovPimStore> store) : store_(std::move(store)) {}
    ovPimItem(const ovPimItem&) = default;
    ovPimItem& operator=(const ovPimItem&) = default;

    virtual ovResult<> saveTo(ovPimStore& store) = 0;
    // The store the item belongs to, or null when it has none or it is closed.
    std::shared_ptr<ovPimStore> store() const { return store_.lock(); }

private:
    friend class ovPimStore;
    std::weak_ptr<ovPimStore> store_;
    int64_t id_ = 0;
    std::string uid_;
    // Read when first asked for (see sourceText).
    mutable std::string sourceText_;
    mutable bool sourceLoaded_ = true;

    // Sets the text from a store row whose column holds it, or notes it to be read later
    // when the column is NULL.
    template <class Row> void readSource(const Row& row, int column) {
        sourceLoaded_ = !row.columnIsNull(column);
        sourceText_ = sourceLoaded_ ? std::string(row.columnText(column)) : std::string();
    }
};

// A new random UID in the UUID form (version 4, lower-case hex).
std::string ovPimNewUid();

// The item as the kind T (ovPimAppointment, ovPimContact, ovPimTask), or null.
template <class T> T* ovPimItemCast(ovPimItem* item) {
    return item != nullptr && item->itemType() == T::kind ? static_cast<T*>(item) : nullptr;
}
template <class T> const T* ovPimItemCast(const ovPimItem* item) {
    return item != nullptr && item->itemType() == T::kind ? static_cast<const T*>(item) : nullptr;
}
