#pragma once
// The two list types every collection of the project model is built from.
// Their acceptance and ordering rules are observable behaviour: a green set
// never holds a direction twice, step thresholds stay ascending and unique.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace tralcon {

// A list of T (or descendants of T). The class test of the original
// run-time checked list is the type system's job here.
template <class T> class TSafeObjList {
public:
    explicit TSafeObjList(bool ownsObjects = false) : OwnsObjects(ownsObjects) {}
    TSafeObjList(const TSafeObjList&) = delete;
    TSafeObjList& operator=(const TSafeObjList&) = delete;
    TSafeObjList(TSafeObjList&& other) noexcept
        : OwnsObjects(other.OwnsObjects), AllowDuplicates(other.AllowDuplicates),
          FItems(std::move(other.FItems)) {
        other.FItems.clear();
    }
    TSafeObjList& operator=(TSafeObjList&& other) noexcept {
        if (this != &other) {
            Clear();
            OwnsObjects = other.OwnsObjects;
            AllowDuplicates = other.AllowDuplicates;
            FItems = std::move(other.FItems);
            other.FItems.clear();
        }
        return *this;
    }
    ~TSafeObjList() { Clear(); }

    bool GetOwnsObjects() const { return OwnsObjects; }
    bool GetAllowDuplicates() const { return AllowDuplicates; }

    // Returns the new index, or -1 when the object is refused as a duplicate.
    int Add(T* obj) {
        if (!Accepts(obj))
            return -1;
        FItems.push_back(obj);
        return static_cast<int>(FItems.size()) - 1;
    }

    // Inserts at index (0..Count); a refused duplicate is silently dropped.
    void Insert(int index, T* obj) {
        CheckIndex(index, Count() + 1);
        if (!Accepts(obj))
            return;
        FItems.insert(FItems.begin() + index, obj);
    }

    T* Items(int index) const {
        CheckIndex(index, Count());
        return FItems[static_cast<std::size_t>(index)];
    }
    T* operator[](int index) const { return Items(index); }
    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }

    int IndexOf(const T* obj) const {
        auto it = std::find(FItems.begin(), FItems.end(), obj);
        return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
    }
    bool Contains(const T* obj) const { return IndexOf(obj) >= 0; }

    void Delete(int index) {
        CheckIndex(index, Count());
        T* obj = FItems[static_cast<std::size_t>(index)];
        FItems.erase(FItems.begin() + index);
        Release(obj);
    }

    // Removes the first occurrence; returns its former index or -1.
    int Remove(const T* obj) {
        int i = IndexOf(obj);
        if (i >= 0)
            Delete(i);
        return i;
    }

    // Takes an element out without freeing it, even from an owning list.
    T* Extract(int index) {
        CheckIndex(index, Count());
        T* obj = FItems[static_cast<std::size_t>(index)];
        FItems.erase(FItems.begin() + index);
        return obj;
    }

    void Clear() {
        std::vector<T*> items;
        items.swap(FItems);
        if (OwnsObjects) {
            // An owning list may hold one object twice when duplicates are
            // allowed; free each object once.
            std::sort(items.begin(), items.end());
            items.erase(std::unique(items.begin(), items.end()), items.end());
            for (T* obj : items)
                delete obj;
        }
    }

    // Turning duplicates off removes later occurrences, keeping the first of
    // each object and the order of the rest.
    void SetAllowDuplicates(bool allow) {
        if (AllowDuplicates && !allow) {
            for (std::size_t i = 0; i < FItems.size(); ++i) {
                for (std::size_t j = FItems.size() - 1; j > i; --j) {
                    if (FItems[j] != nullptr && FItems[j] == FItems[i])
                        FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(j));
                }
            }
        }
        AllowDuplicates = allow;
    }

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    bool Accepts(const T* obj) const {
        return AllowDuplicates || obj == nullptr || IndexOf(obj) < 0;
    }
    static void CheckIndex(int index, int limit) {
        if (index < 0 || index >= limit)
            throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }
    void Release(T* obj) {
        // Never free an object the list still holds elsewhere.
        if (OwnsObjects && obj != nullptr && IndexOf(obj) < 0)
            delete obj;
    }

    bool OwnsObjects;
    bool AllowDuplicates = true;
    std::vector<T*> FItems;
};

// A list of signed 32-bit integers, optionally unique and kept ascending.
class TIntegerList {
public:
    TIntegerList() = default;
    TIntegerList(std::initializer_list<std::int32_t> values) {
        for (auto v : values)
            Add(v);
    }

    static int Compare(std::int32_t a, std::int32_t b) { return a < b ? -1 : (a == b ? 0 : 1); }

    // Returns the index of the stored value, or -1 when a unique list
    // already holds it.
    int Add(std::int32_t value) {
        if (!AllowDuplicates && IndexOf(value) >= 0)
            return -1;
        if (Sorted) {
            auto it = std::upper_bound(FItems.begin(), FItems.end(), value);
            return static_cast<int>(FItems.insert(it, value) - FItems.begin());
        }
        FItems.push_back(value);
        return static_cast<int>(FItems.size()) - 1;
    }

    std::int32_t Items(int index) const {
        CheckIndex(index);
        return FItems[static_cast<std::size_t>(index)];
    }
    std::int32_t operator[](int index) const { return Items(index); }

    // Ignored when a unique list already holds the value.
    void Put(int index, std::int32_t value) {
        CheckIndex(index);
        if (AllowDuplicates || IndexOf(value) < 0)
            FItems[static_cast<std::size_t>(index)] = value;
    }

    int IndexOf(std::int32_t value) const {
        for (std::size_t i = 0; i < FItems.size(); ++i)
            if (Compare(FItems[i], value) == 0)
                return static_cast<int>(i);
        return -1;
    }

    void Delete(int index) {
        CheckIndex(index);
        FItems.erase(FItems.begin() + index);
    }
    int Count() const { return static_cast<int>(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    void Clear() { FItems.clear(); }

    bool GetAllowDuplicates() const { return AllowDuplicates; }
    bool GetSorted() const { return Sorted; }

    void SetAllowDuplicates(bool allow) {
        if (AllowDuplicates && !allow) {
            for (std::size_t i = 0; i < FItems.size(); ++i)
                for (std::size_t j = FItems.size() - 1; j > i; --j)
                    if (Compare(FItems[j], FItems[i]) == 0)
                        FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(j));
        }
        AllowDuplicates = allow;
    }
    void SetSorted(bool sorted) {
        Sorted = sorted;
        if (sorted)
            Sort();
    }
    void Sort() { std::stable_sort(FItems.begin(), FItems.end()); }

    const std::vector<std::int32_t>& Values() const { return FItems; }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }
    bool operator==(const TIntegerList& other) const { return FItems == other.FItems; }

private:
    void CheckIndex(int index) const {
        if (index < 0 || index >= Count())
            throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    }

    bool AllowDuplicates = true;
    bool Sorted = false;
    std::vector<std::int32_t> FItems;
};

} // namespace tralcon
