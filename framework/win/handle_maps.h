// Which framework object stands for a Win32 handle. Permanent entries belong
// to objects the program created or attached; temporary wrappers are made on
// demand for handles nobody wrapped, and live per thread.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>

template <class H, class T>
class PermanentHandles {
public:
    // Never destroyed: objects with static storage may detach at exit.
    static PermanentHandles& Instance() {
        static auto* table = new PermanentHandles;
        return *table;
    }

    T* Find(H handle) {
        std::lock_guard<std::mutex> lock(m_lock);
        auto found = m_map.find(handle);
        return found == m_map.end() ? nullptr : found->second;
    }
    // False when another object already holds the handle.
    bool Add(H handle, T* object) {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_map.emplace(handle, object).second;
    }
    // Drops the entry only when it is object's own.
    void Remove(H handle, const T* object) {
        std::lock_guard<std::mutex> lock(m_lock);
        auto found = m_map.find(handle);
        if (found != m_map.end() && found->second == object) m_map.erase(found);
    }
    // The first object whose handle satisfies match.
    template <class Match>
    T* FindIf(Match match) {
        std::lock_guard<std::mutex> lock(m_lock);
        for (auto& entry : m_map)
            if (match(entry.first)) return entry.second;
        return nullptr;
    }

private:
    std::mutex m_lock;
    std::unordered_map<H, T*> m_map;
};

// How many temporary wrappers of one kind a thread keeps before it drops
// those whose handles are gone. Wrappers of live handles are never dropped,
// so the number only bounds memory: a sweep walks the whole table, and a
// window's worth of controls, menus and GDI objects stays well below it.
constexpr std::size_t kTemporaryWrappersBeforeSweep = 256;

// The temporary wrapper of handle, reused while the handle lives.
template <class T, class Deleter = std::default_delete<T>, class H, class Make, class IsAlive>
T* TemporaryWrapper(H handle, Make make, IsAlive alive) {
    thread_local std::unordered_map<H, std::unique_ptr<T, Deleter>> table;
    auto found = table.find(handle);
    if (found != table.end()) return found->second.get();
    if (table.size() > kTemporaryWrappersBeforeSweep) {
        for (auto it = table.begin(); it != table.end();) {
            if (!alive(it->first)) it = table.erase(it);
            else ++it;
        }
    }
    T* wrapper = make(handle);
    table.emplace(handle, std::unique_ptr<T, Deleter>(wrapper));
    return wrapper;
}
