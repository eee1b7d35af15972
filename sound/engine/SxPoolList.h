#pragma once
// A singly linked list whose nodes come first from a block of preallocated nodes, then from
// a memory pool (freed again on removal), with an optional maximum node count.
#include <cstdint>
#include <type_traits>

#include "sound/engine/memory/SxMemoryMgr.h"

namespace SX {

template <typename T>
class SxPoolList {
    static_assert(std::is_trivially_copyable_v<T>, "items are plain records");

    struct Node {
        Node* next;
        T item;
    };

public:
    SxPoolList() = default;
    ~SxPoolList() { Term(); }
    SxPoolList(const SxPoolList&) = delete;
    SxPoolList& operator=(const SxPoolList&) = delete;

    // preallocated nodes in one block; maxCount 0 means no maximum. SX_InsufficientMemory
    // when the block cannot be had.
    SXRESULT Init(uint32_t preallocated, uint32_t maxCount, SxMemPoolId pool) {
        Term();
        m_pool = pool;
        m_max = maxCount;
        if (preallocated) {
            m_block = static_cast<Node*>(MemoryMgr::Malloc(pool, sizeof(Node) * preallocated));
            if (!m_block) return SX_InsufficientMemory;
            m_blockCount = preallocated;
            for (uint32_t i = 0; i < preallocated; ++i)
                m_block[i].next = i + 1 < preallocated ? &m_block[i + 1] : nullptr;
            m_free = m_block;
        }
        m_initialized = true;
        return SX_Success;
    }
    // Frees every node and the block.
    void Term() {
        RemoveAll();
        MemoryMgr::Free(m_pool, m_block);
        m_block = m_free = nullptr;
        m_blockCount = 0;
        m_initialized = false;
    }
    bool IsInitialized() const { return m_initialized; }

    // The new item at the head; null at the maximum or when no node can be had.
    T* AddFirst(const T& item) {
        Node* node = NewNode();
        if (!node) return nullptr;
        node->item = item;
        node->next = m_first;
        m_first = node;
        ++m_length;
        return &node->item;
    }
    // The item already in the list, or a new one at the head.
    T* Set(const T& item) {
        if (T* existing = Find(item)) return existing;
        return AddFirst(item);
    }
    T* Find(const T& item) {
        for (Node* n = m_first; n; n = n->next)
            if (n->item == item) return &n->item;
        return nullptr;
    }
    bool Exists(const T& item) { return Find(item) != nullptr; }
    // SX_Success, or SX_Fail when the item is not in the list.
    SXRESULT Remove(const T& item) {
        for (Node** link = &m_first; *link; link = &(*link)->next) {
            if ((*link)->item == item) {
                Node* node = *link;
                *link = node->next;
                FreeNode(node);
                --m_length;
                return SX_Success;
            }
        }
        return SX_Fail;
    }
    void RemoveAll() {
        while (m_first) {
            Node* node = m_first;
            m_first = node->next;
            FreeNode(node);
        }
        m_length = 0;
    }
    uint32_t Length() const { return m_length; }
    bool IsEmpty() const { return m_length == 0; }

    class Iterator {
    public:
        explicit Iterator(Node* n) : m_node(n) {}
        T& operator*() const { return m_node->item; }
        Iterator& operator++() {
            m_node = m_node->next;
            return *this;
        }
        bool operator!=(const Iterator& other) const { return m_node != other.m_node; }

    private:
        Node* m_node;
    };
    Iterator begin() const { return Iterator(m_first); }
    Iterator end() const { return Iterator(nullptr); }

private:
    Node* NewNode() {
        if (!m_initialized || (m_max && m_length >= m_max)) return nullptr;
        if (m_free) {
            Node* node = m_free;
            m_free = node->next;
            return node;
        }
        return static_cast<Node*>(MemoryMgr::Malloc(m_pool, sizeof(Node)));
    }
    void FreeNode(Node* node) {
        auto at = reinterpret_cast<uintptr_t>(node), first = reinterpret_cast<uintptr_t>(m_block);
        if (m_block && at >= first && at < first + sizeof(Node) * m_blockCount) {
            node->next = m_free;
            m_free = node;
        } else {
            MemoryMgr::Free(m_pool, node);
        }
    }

    Node* m_first = nullptr;
    Node* m_free = nullptr;
    Node* m_block = nullptr;
    uint32_t m_blockCount = 0;
    uint32_t m_length = 0;
    uint32_t m_max = 0;
    SxMemPoolId m_pool = SxInvalidPoolId;
    bool m_initialized = false;
};

}  // namespace SX
