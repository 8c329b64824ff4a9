// The settings model's key on the program's settings store: the current key of a TRegistry, with
// every failed read turned into ESettingsError so that reading stops at the first bad value.
#pragma once

#include "mainwindow/UMainSettings.h"
#include "platform/PQtRegistry.h"

namespace mainwindow {

class TRegistrySettingsKey : public TSettingsKey {
public:
    // registry stays the caller's; its current key is the one read and written.
    explicit TRegistrySettingsKey(platform::TRegistry& registry) : FRegistry(registry) {}

    bool ValueExists(const std::string& name) override { return FRegistry.ValueExists(name); }
    int DataSize(const std::string& name) override { return FRegistry.DataSize(name); }
    std::int32_t ReadInteger(const std::string& name) override {
        return Checked(FRegistry.ReadInteger(name), name);
    }
    std::string ReadString(const std::string& name) override {
        return Checked(FRegistry.ReadString(name), name);
    }
    std::vector<std::uint8_t> ReadBinary(const std::string& name) override {
        return Checked(FRegistry.ReadBinary(name), name);
    }
    void WriteInteger(const std::string& name, std::int32_t value) override {
        FRegistry.WriteInteger(name, value);
    }
    void WriteString(const std::string& name, const std::string& value) override {
        FRegistry.WriteString(name, value);
    }
    void WriteBinary(const std::string& name, const std::vector<std::uint8_t>& value) override {
        FRegistry.WriteBinary(name, value);
    }

private:
    template <class T> static T Checked(platform::TRegRead<T> read, const std::string& name) {
        if (!read.Ok()) throw ESettingsError(name);
        return std::move(read.value);
    }
    platform::TRegistry& FRegistry;
};

} // namespace mainwindow
