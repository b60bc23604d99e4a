#include <cstdio>

#include "cli/commands.h"

int RunConvert(const std::vector<std::string>& args)
{
    (void)args;
    std::fprintf(stderr, "paperwell-cli: conversion is not available yet\n");
    return 2;
}

int RunToRtf(const std::vector<std::string>& args)
{
    (void)args;
    std::fprintf(stderr, "paperwell-cli: --to-rtf is not available yet\n");
    return 2;
}
