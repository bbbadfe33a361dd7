#include "firewall_service.h"

#include <windows.h>
#include <ole2.h>
#include <netfw.h>

#include <optional>

#include "crash_guard.h"
#include "firewall_list.h"
#include "win_handles.h"

namespace integration::firewall {
namespace {

using namespace firewall_result;

constexpr CLSID kManagerClass = {0x304CE942, 0x6E39, 0x40D8, {0x94, 0x3A, 0xB9, 0x13, 0xC4, 0x0C, 0x9C, 0xD4}};
constexpr CLSID kOpenPortClass = {0x0CA545C6, 0x37AD, 0x4A6C, {0xBF, 0x92, 0x9F, 0x76, 0x10, 0x06, 0x7E, 0xF5}};
constexpr CLSID kApplicationClass = {0xEC9846B3, 0x2762, 0x4A6B, {0xA2, 0x14, 0x6A, 0xCB, 0x60, 0x34, 0x62, 0xD2}};

class Bstr {
 public:
  explicit Bstr(const std::u16string& text)
      : text_(SysAllocStringLen(kv::as_wide(text), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(text_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR get() const { return text_; }
  explicit operator bool() const { return text_ != nullptr; }

 private:
  BSTR text_;
};

struct Connection {
  kv::ComPtr<INetFwMgr> manager;
  kv::ComPtr<INetFwPolicy> policy;
  kv::ComPtr<INetFwProfile> profile;
};

// Kept for the process: never destroyed, so that no release reaches the
// firewall's code after the exit routine has uninitialised COM.
Connection& connection() {
  static Connection& kept = *new Connection;
  return kept;
}

template <class I>
HRESULT create(const CLSID& type, kv::ComPtr<I>& out) {
  return CoCreateInstance(type, nullptr, CLSCTX_INPROC_SERVER, __uuidof(I), out.put_void());
}

template <class F>
int guarded(F&& operation) {
  int code = kCrashed;
  if (kv::crash_guard([&] { code = operation(); })) return kCrashed;
  return code;
}

int connect_now() {
  Connection& c = connection();
  if (c.profile) return kSuccess;
  if (!c.manager && (FAILED(create(kManagerClass, c.manager)) || !c.manager)) return kNoManager;
  if (!c.policy && (FAILED(c.manager->get_LocalPolicy(c.policy.put())) || !c.policy)) return kNoPolicy;
  if (FAILED(c.policy->get_CurrentProfile(c.profile.put())) || !c.profile) return kNoProfile;
  return kSuccess;
}

template <class Entry>
std::optional<bool> enabled_state(Entry& entry) {
  VARIANT_BOOL enabled = VARIANT_FALSE;
  if (FAILED(entry->get_Enabled(&enabled))) return std::nullopt;
  return enabled != VARIANT_FALSE;
}

int add_port_now(std::uint32_t port, long protocol, const std::u16string& name, bool report_existing) {
  if (connect_now() != kSuccess) return kNotConnected;
  kv::ComPtr<INetFwOpenPorts> ports;
  if (FAILED(connection().profile->get_GloballyOpenPorts(ports.put())) || !ports) return kNoPortList;
  const auto ip_protocol = static_cast<NET_FW_IP_PROTOCOL>(protocol);
  kv::ComPtr<INetFwOpenPort> existing;
  bool found = SUCCEEDED(ports->Item(static_cast<long>(port), ip_protocol, existing.put())) && existing;
  std::optional<bool> enabled = found ? enabled_state(existing) : std::nullopt;
  if (std::optional<int> result = existing_entry_result(found, enabled, kPortStateUnread, report_existing))
    return *result;

  kv::ComPtr<INetFwOpenPort> entry;
  if (FAILED(create(kOpenPortClass, entry)) || !entry) return kNoPortObject;
  if (FAILED(entry->put_Port(static_cast<long>(port)))) return kPortNotSet;
  if (FAILED(entry->put_Protocol(ip_protocol))) return kProtocolNotSet;
  Bstr text(name);
  if (!text || FAILED(entry->put_Name(text.get()))) return kNameNotSet;
  if (FAILED(entry->put_Enabled(VARIANT_TRUE)) || FAILED(ports->Add(entry.get()))) return kNotAdded;
  return kSuccess;
}

int add_program_now(const std::u16string& path, const std::u16string& name, bool report_existing) {
  if (path.empty() || name.empty()) return kProgramOrNameMissing;
  if (connect_now() != kSuccess) return kNotConnected;
  kv::ComPtr<INetFwAuthorizedApplications> applications;
  if (FAILED(connection().profile->get_AuthorizedApplications(applications.put())) || !applications)
    return kNoApplicationList;
  Bstr image(path);
  if (!image) return kImageNotSet;
  kv::ComPtr<INetFwAuthorizedApplication> existing;
  bool found = SUCCEEDED(applications->Item(image.get(), existing.put())) && existing;
  std::optional<bool> enabled = found ? enabled_state(existing) : std::nullopt;
  if (std::optional<int> result = existing_entry_result(found, enabled, kApplicationStateUnread, report_existing))
    return *result;

  kv::ComPtr<INetFwAuthorizedApplication> entry;
  if (FAILED(create(kApplicationClass, entry)) || !entry) return kNoApplicationObject;
  if (FAILED(entry->put_ProcessImageFileName(image.get()))) return kImageNotSet;
  Bstr text(name);
  if (!text || FAILED(entry->put_Name(text.get()))) return kNameNotSet;
  if (FAILED(entry->put_Enabled(VARIANT_TRUE)) || FAILED(applications->Add(entry.get()))) return kNotAdded;
  return kSuccess;
}

int remove_port_now(std::uint32_t port, long protocol) {
  if (connect_now() != kSuccess) return kNotConnected;
  kv::ComPtr<INetFwOpenPorts> ports;
  if (FAILED(connection().profile->get_GloballyOpenPorts(ports.put())) || !ports) return kNoPortList;
  return SUCCEEDED(ports->Remove(static_cast<long>(port), static_cast<NET_FW_IP_PROTOCOL>(protocol))) ? kSuccess
                                                                                                     : kNotAdded;
}

int remove_program_now(const std::u16string& path) {
  if (connect_now() != kSuccess) return kNotConnected;
  kv::ComPtr<INetFwAuthorizedApplications> applications;
  if (FAILED(connection().profile->get_AuthorizedApplications(applications.put())) || !applications)
    return kNoApplicationList;
  Bstr image(path);
  return image && SUCCEEDED(applications->Remove(image.get())) ? kSuccess : kNotAdded;
}

}  // namespace

int connect() { return guarded(connect_now); }

int add_port(std::uint32_t port, long protocol, const std::u16string& name, bool report_existing) {
  return guarded([&] { return add_port_now(port, protocol, name, report_existing); });
}

int add_program(const std::u16string& path, const std::u16string& name, bool report_existing) {
  return guarded([&] { return add_program_now(path, name, report_existing); });
}

int remove_port(std::uint32_t port, long protocol) {
  return guarded([&] { return remove_port_now(port, protocol); });
}

int remove_program(const std::u16string& path) {
  return guarded([&] { return remove_program_now(path); });
}

}  // namespace integration::firewall
