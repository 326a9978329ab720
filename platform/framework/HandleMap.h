#pragma once
// The map from handles to the framework objects that wrap them, one per thread: permanent
// entries for objects that own their handle, temporary wrappers made on demand by FromHandle.

#include <memory>
#include <unordered_map>
#include <vector>

namespace framework_detail {

template <class Object, class Handle> class HandleMap {
public:
    void SetPermanent(Handle h, Object* object) { m_permanent[h] = object; }
    void RemovePermanent(Handle h, Object* object) {
        auto it = m_permanent.find(h);
        if (it != m_permanent.end() && it->second == object) m_permanent.erase(it);
    }
    Object* LookupPermanent(Handle h) const {
        auto it = m_permanent.find(h);
        return it == m_permanent.end() ? nullptr : it->second;
    }
    Object* LookupTemporary(Handle h) const {
        auto it = m_temporary.find(h);
        return it == m_temporary.end() ? nullptr : it->second.get();
    }
    // Keeps a new temporary wrapper; one it replaces stays alive until DeleteTemporary.
    Object* AddTemporary(Handle h, std::unique_ptr<Object> object) {
        auto& slot = m_temporary[h];
        if (slot) m_retired.push_back(std::move(slot));
        slot = std::move(object);
        return slot.get();
    }
    // Destroys the temporary wrappers after detach(object) has let go of each one's handle.
    template <class Detach> void DeleteTemporary(Detach detach) {
        auto temporary = std::move(m_temporary);
        auto retired = std::move(m_retired);
        m_temporary.clear();
        m_retired.clear();
        for (auto& [h, object] : temporary) detach(*object);
        for (auto& object : retired) detach(*object);
    }

private:
    std::unordered_map<Handle, Object*> m_permanent;
    std::unordered_map<Handle, std::unique_ptr<Object>> m_temporary;
    std::vector<std::unique_ptr<Object>> m_retired;
};

} // namespace framework_detail
