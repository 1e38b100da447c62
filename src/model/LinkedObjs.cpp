#include "model/LinkedObjs.h"

#include <cstring>

namespace tralcon {

namespace {
TLinkedObject* Required(TLinkedObject* link) {
    if (link == nullptr)
        throw ELinkedObjException("Linked Object not defined");
    return link;
}
} // namespace

TLinkedObjItem::TLinkedObjItem(const void* value, TLinkedObject* link)
    : TLinkedObjItem(kDataSize, value, link) {}

TLinkedObjItem::TLinkedObjItem(int dataSize, const void* value, TLinkedObject* link)
    : FDataSize(dataSize), FLink(Required(link)) {
    if (value != nullptr)
        std::memcpy(FData.data(), value, static_cast<std::size_t>(FDataSize));
    ++FLink->FRefCount;
}

TLinkedObjItem::~TLinkedObjItem() {
    if (FLink->FRefCount > 0)
        --FLink->FRefCount;
}

void TLinkedObjItem::GetData(void* out) const {
    std::memcpy(out, FData.data(), static_cast<std::size_t>(FDataSize));
}

void TLinkedObjItem::SetData(const void* in) {
    std::memcpy(FData.data(), in, static_cast<std::size_t>(FDataSize));
}

bool TLinkedObjItem::SetLink(TLinkedObject* object) {
    if (object == FLink || !AcceptsLink(object))
        return false;
    if (FLink->FRefCount > 0)
        --FLink->FRefCount;
    FLink = object;
    ++FLink->FRefCount;
    return true;
}

TLinkedObject::TLinkedObject(std::string name, bool hasItems)
    : FName(std::move(name)), FHasItems(hasItems) {}

TLinkedObject::~TLinkedObject() = default; // the owning list frees the items

bool TLinkedObject::CanAddItem(int index) const {
    (void)index;
    return true;
}

TLinkedObjItem* TLinkedObject::AddItem(int index, const void* value, TLinkedObject* link) {
    if (!FHasItems || index < -1 || !CanAddItem(index))
        return nullptr;
    TLinkedObjItem* item = CreateItem(value, link);
    if (item == nullptr)
        return nullptr;
    item->FOwner = this;
    if (index < FItems.Count() - 1)
        FItems.Insert(index + 1, item);
    else
        FItems.Add(item);
    return item;
}

TLinkedObjItem* TLinkedObject::CreateItem(const void* value, TLinkedObject* link) {
    return new TLinkedObjItem(value, link);
}

bool TLinkedObject::DeleteItem(int index) {
    if (FItems.Count() <= 1 || index < 0 || index >= FItems.Count())
        return false;
    FItems.Delete(index);
    return true;
}

} // namespace tralcon
