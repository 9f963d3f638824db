// The settings store: parsing and formatting a registry file of 100 savers' keys, and
// one durable write (lock, read, write a temporary file, fsync, rename, fsync the
// directory) as a settings save does it three times at most.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/registry/registry.h"
#include "platform/registry/registry_store.h"
#include "platform/registry/registry_text.h"

namespace {

namespace fs = std::filesystem;

std::string RegistryOfSavers(int savers) {
  velquora::TRegistryDocument document;
  for (int i = 0; i < savers; ++i) {
    velquora::TRegistryKey& key =
        document.CreateKey("HKEY_CURRENT_USER\\SOFTWARE\\Dorvex\\Screen Savers\\Saver " + std::to_string(i));
    key.SetValue(velquora::MakeStringValue("Timer Interval", std::to_string(40 + i)));
    key.SetValue(velquora::MakeStringValue("Play Sound", "10"));
    key.SetValue(velquora::MakeStringValue("CRC Checked", "1"));
  }
  return velquora::FormatRegistryText(document);
}

void ParseRegistry(benchmark::State& state) {
  const std::string text = RegistryOfSavers(100);
  for (auto _ : state) benchmark::DoNotOptimize(velquora::ParseRegistryText(text));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ParseRegistry);

void FormatRegistry(benchmark::State& state) {
  const velquora::TRegistryDocument document = velquora::ParseRegistryText(RegistryOfSavers(100));
  for (auto _ : state) benchmark::DoNotOptimize(velquora::FormatRegistryText(document));
}
BENCHMARK(FormatRegistry);

void DurableWrite(benchmark::State& state) {
  std::string pattern = (fs::temp_directory_path() / "bench_registry_XXXXXX").string();
  const fs::path directory = ::mkdtemp(pattern.data());
  velquora::TRegistryStore store(directory / "registry.reg");
  velquora::TRegistry key(store);
  key.OpenKey("SOFTWARE\\Dorvex\\Screen Savers\\Aquarium", true);
  int run = 0;
  for (auto _ : state) key.WriteString("Play Sound", std::to_string(++run % 11));
  fs::remove_all(directory);
}
BENCHMARK(DurableWrite)->Unit(benchmark::kMillisecond);

}  // namespace
