#pragma once
#include <span>
#include <string_view>

// Korean words and phrases from which the generator composes names, addresses and notes.
namespace testdata::vocabulary {

// A named word list (office, storehouse, bank, unit, ...); throws for an unknown name.
std::span<const std::string_view> Words(std::string_view list);

std::span<const std::string_view> Surnames();
std::span<const std::string_view> GivenNames();
std::span<const std::string_view> CompanyStems();
std::span<const std::string_view> CompanyKinds();
std::span<const std::string_view> ProductQualifiers();
std::span<const std::string_view> ProductItems();
std::span<const std::string_view> Regions();
std::span<const std::string_view> Districts();
std::span<const std::string_view> Roads();
std::span<const std::string_view> MemoPhrases();      // some carry quotes or a backslash
std::span<const std::string_view> WideMemoPhrases();  // need utf8mb4 (characters beyond the BMP)
std::span<const std::string_view> Titles();
std::span<const std::string_view> CarSyllables();
std::span<const std::string_view> MailDomains();
std::span<const std::string_view> Romanized();

}  // namespace testdata::vocabulary
