// SPDX-License-Identifier: MIT
#pragma once
// Lets an installer see that the window runs (it refuses to replace the files of a running
// Kestrin): on Windows a named mutex held until the program ends; elsewhere nothing.
namespace Kestrin
{
// The mutex's name, which the installer (packaging/windows/kestrin.nsi) asks for.
inline constexpr const wchar_t* RunningMarkName = L"Tarrowby.Kestrin.Running";
void MarkRunning();
} // namespace Kestrin
