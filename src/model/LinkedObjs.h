#pragma once
// Named objects that count the items naming them (cycles, day and week
// plans), and the items that carry a small value and one counted reference.
// The count tells whether an object may be deleted: nothing may point at a
// freed object.

#include "model/SafeLists.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace tralcon {

class ELinkedObjException : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class TLinkedObject;

class TLinkedObjItem {
  public:
    static constexpr int kDataSize = 4;

    // Copies kDataSize bytes of value; raises ELinkedObjException
    // "Linked Object not defined" without a link.
    TLinkedObjItem(const void* value, TLinkedObject* link);
    virtual ~TLinkedObjItem();
    TLinkedObjItem(const TLinkedObjItem&) = delete;
    TLinkedObjItem& operator=(const TLinkedObjItem&) = delete;

    int DataSize() const { return FDataSize; }
    void GetData(void* out) const;
    void SetData(const void* in);

    TLinkedObject* Link() const { return FLink; }
    // Moves the counted reference; none, the same object and an object of the
    // wrong class are ignored. True when the link changed.
    bool SetLink(TLinkedObject* object);

    // The object whose item list holds this item (none while free-standing).
    TLinkedObject* Owner() const { return FOwner; }

  protected:
    TLinkedObjItem(int dataSize, const void* value, TLinkedObject* link);
    // Which objects an item of this class may name.
    virtual bool AcceptsLink(const TLinkedObject* object) const { return object != nullptr; }

  private:
    friend class TLinkedObject;

    int FDataSize;
    std::array<std::uint8_t, 8> FData{};
    TLinkedObject* FLink;
    TLinkedObject* FOwner = nullptr;
};

class TLinkedObject {
  public:
    explicit TLinkedObject(std::string name, bool hasItems = false);
    virtual ~TLinkedObject();
    TLinkedObject(const TLinkedObject&) = delete;
    TLinkedObject& operator=(const TLinkedObject&) = delete;

    int RefCount() const { return FRefCount; }
    const std::string& Name() const { return FName; }
    void SetName(std::string name) { FName = std::move(name); }
    bool HasItems() const { return FHasItems; }

    // Whether an item may be added after position index.
    virtual bool CanAddItem(int index) const;
    // Inserts a new item right after position index (at the end for the last
    // position or beyond); none when CanAddItem refuses or the object has no
    // items. Raises ELinkedObjException when link is none or of a class the
    // items cannot name.
    TLinkedObjItem* AddItem(int index, const void* value, TLinkedObject* link);
    // An object with items keeps at least one: false for the last item.
    bool DeleteItem(int index);
    int ItemCount() const { return FItems.Count(); }
    TLinkedObjItem* ItemAt(int index) const { return FItems.Items(index); }
    int IndexOfItem(const TLinkedObjItem* item) const { return FItems.IndexOf(item); }

  protected:
    // Builds an item of this object's item class (the plain 4-byte item here).
    virtual TLinkedObjItem* CreateItem(const void* value, TLinkedObject* link);

  private:
    friend class TLinkedObjItem;

    int FRefCount = 0;
    std::string FName;
    bool FHasItems;
    TSafeObjList<TLinkedObjItem> FItems{true};
};

} // namespace tralcon
