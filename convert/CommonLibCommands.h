#pragma once

#include "convert/CommandBuilder.h"
#include "convert/CommonLib.h"

// The program's command builder: TCommonLib's BuildCommandLine.
class CommonLibCommands final : public CommandBuilder {
public:
    explicit CommonLibCommands(TCommonLib& commonLib) : m_commonLib(commonLib) {}

    ConvertCommand BuildCommandLine(const std::string& path) override {
        return m_commonLib.BuildCommandLine(path);
    }

private:
    TCommonLib& m_commonLib;
};
