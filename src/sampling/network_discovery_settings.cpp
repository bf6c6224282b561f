// The network discovery values: defaults, limits and their registry form.
#include "sampling/network_discovery_settings.h"

#include "platform/registry.h"

void LoadNetworkDiscoverySettings(NetworkDiscoverySettings* s) {
  NetworkDiscoverySettings defaults;
  s->useManagerSettings = ReadRegistryBool(kMonitorParametersKey, kUseManagerSettings, defaults.useManagerSettings);
  const char* key = s->useManagerSettings ? kManagerParametersKey : kMonitorParametersKey;
  std::vector<RegistryValue> fallbacks = DiscoverySchema(defaults);
  std::vector<RegistryValue> values = DiscoverySchema(*s);
  for (size_t i = 0; i < values.size(); ++i) LoadRegistryField(values[i], fallbacks[i].field, key);
}

void SaveNetworkDiscoverySettings(const NetworkDiscoverySettings& s) {
  WriteRegistryBool(kMonitorParametersKey, kUseManagerSettings, s.useManagerSettings);
  NetworkDiscoverySettings saved = s;
  for (const RegistryValue& value : DiscoverySchema(saved)) {
    if (s.useManagerSettings)
      DeleteRegistryValue(value.subkey, value.name);
    else
      SaveRegistryField(value);
  }
}
