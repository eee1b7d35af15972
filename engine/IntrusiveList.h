#pragma once
// A doubly linked list whose elements carry their own links. The list owns a head and a tail
// sentinel; elements are appended before the tail and visited from the head, so a walk follows
// the order of insertion. Holds children of game objects and the systems' registration lists.
#include <cstddef>

namespace SD {

template <class T>
struct IntrusiveLink {
    IntrusiveLink* next = nullptr;
    IntrusiveLink* prev = nullptr;
    T* element = nullptr;  // null in the sentinels

    bool IsLinked() const { return next != nullptr; }
};

template <class T, IntrusiveLink<T> T::*Link>
class IntrusiveList {
public:
    IntrusiveList() {
        head_.next = &tail_;
        tail_.prev = &head_;
    }
    IntrusiveList(const IntrusiveList&) = delete;
    IntrusiveList& operator=(const IntrusiveList&) = delete;
    // The elements are not owned; they are left unlinked.
    ~IntrusiveList() { Clear(); }

    void PushBack(T* element) {
        IntrusiveLink<T>& link = element->*Link;
        link.element = element;
        link.prev = tail_.prev;
        link.next = &tail_;
        tail_.prev->next = &link;
        tail_.prev = &link;
        ++count_;
    }

    void PushFront(T* element) {
        IntrusiveLink<T>& link = element->*Link;
        link.element = element;
        link.prev = &head_;
        link.next = head_.next;
        head_.next->prev = &link;
        head_.next = &link;
        ++count_;
    }

    // Unlinks an element of this list and clears its links; an unlinked element is ignored.
    void Remove(T* element) {
        IntrusiveLink<T>& link = element->*Link;
        if (!link.IsLinked()) return;
        link.prev->next = link.next;
        link.next->prev = link.prev;
        link.next = link.prev = nullptr;
        --count_;
    }

    void Clear() {
        while (!Empty()) Remove(First());
    }

    size_t Size() const { return count_; }
    bool Empty() const { return count_ == 0; }
    T* First() const { return head_.next->element; }
    T* Last() const { return tail_.prev->element; }
    // The element after this one, null at the end.
    static T* Next(const T* element) {
        const IntrusiveLink<T>& link = element->*Link;
        return link.next ? link.next->element : nullptr;
    }

    // Calls fn on every element in order. The next element is taken after the call, so an
    // element appended during the walk is visited too; when fn unlinks the current element
    // the walk goes on from its predecessor (or stops if that is gone as well).
    template <class Fn>
    void ForEach(Fn&& fn) {
        IntrusiveLink<T>* link = head_.next;
        while (link != &tail_) {
            IntrusiveLink<T>* before = link->prev;
            fn(link->element);
            if (link->IsLinked()) {
                link = link->next;
            } else if (before->IsLinked()) {  // the head sentinel always is
                link = before->next;
            } else {
                return;
            }
        }
    }

    class Iterator {
    public:
        explicit Iterator(IntrusiveLink<T>* link) : link_(link) {}
        T* operator*() const { return link_->element; }
        Iterator& operator++() {
            link_ = link_->next;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return link_ != other.link_; }

    private:
        IntrusiveLink<T>* link_;
    };
    Iterator begin() { return Iterator(head_.next); }
    Iterator end() { return Iterator(&tail_); }

private:
    IntrusiveLink<T> head_;
    IntrusiveLink<T> tail_;
    size_t count_ = 0;
};

}  // namespace SD
