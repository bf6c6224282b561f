# The installer's description and its build with msitools' wixl (scripts/package and the
# installer's test): ovmon.cpl, ovmonsvc.exe and ovmonctl.exe into "Program Files\Tallowin\Orvane
# Monitor", that folder added to the system PATH, the applet registered with Control Panel, the
# Monitor service added, started and marked installed, its event source registered with the
# message table of ovmonsvc.exe; on removal the service is stopped and removed, the PATH entry
# goes and "ovmonsvc -purge" removes what it stored.

# Writes the installer built from the programs of a Windows build folder.
build_msi() {  # build-folder msi-path
  cat > "$2.wxs" <<WXS
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="Orvane Monitor" Language="1033" Version="5.2.0" Manufacturer="Tallowin"
           UpgradeCode="6F1D2C3B-8E4A-4B8F-9C1E-2A7D5B3C9E10">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Description="Orvane Monitor Control Panel applet and service"/>
    <MajorUpgrade DowngradeErrorMessage="A newer Orvane Monitor is already installed."/>
    <Media Id="1" Cabinet="ovmon.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="TallowinFolder" Name="Tallowin">
          <Component Id="Installed" Guid="5D2A0B3C-7E4F-4081-8C1D-3E4F5A6B7C8D" Win64="yes">
            <RegistryValue Root="HKLM" Key="Software\\Tallowin\\Orvane Monitor\\Parameters"
                           Name="Service Installed" Type="integer" Value="1" KeyPath="yes"/>
            <RemoveFolder Id="RemoveTallowinFolder" On="uninstall"/>
          </Component>
          <Directory Id="INSTALLDIR" Name="Orvane Monitor">
            <Component Id="Applet" Guid="3B0E8F1A-5C2D-4E6F-8A9B-1C2D3E4F5A6B" Win64="yes">
              <File Id="ovmon.cpl" Name="ovmon.cpl" Source="ovmon.cpl" KeyPath="yes"/>
              <RegistryValue Root="HKLM" Key="Software\\Microsoft\\Windows\\CurrentVersion\\Control Panel\\Cpls"
                             Name="ovmon" Type="string" Value="[INSTALLDIR]ovmon.cpl"/>
            </Component>
            <Component Id="Service" Guid="4C1F9A2B-6D3E-4F70-9B0C-2D3E4F5A6B7C" Win64="yes">
              <File Id="ovmonsvc.exe" Name="ovmonsvc.exe" Source="ovmonsvc.exe" KeyPath="yes"/>
              <ServiceInstall Id="MonitorService" Name="Orvane Monitor" DisplayName="Orvane Monitor"
                              Description="Checks the clocks of the monitored machines against the reference"
                              Type="ownProcess" Start="auto" ErrorControl="normal"/>
              <ServiceControl Id="MonitorControl" Name="Orvane Monitor" Start="install" Stop="both"
                              Remove="uninstall" Wait="yes"/>
              <RegistryKey Root="HKLM" Key="SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Orvane Monitor">
                <RegistryValue Name="EventMessageFile" Type="string" Value="#%[INSTALLDIR]ovmonsvc.exe"/>
                <RegistryValue Name="CategoryMessageFile" Type="string" Value="#%[INSTALLDIR]ovmonsvc.exe"/>
                <RegistryValue Name="CategoryCount" Type="integer" Value="4"/>
                <RegistryValue Name="TypesSupported" Type="integer" Value="7"/>
              </RegistryKey>
            </Component>
            <Component Id="Console" Guid="7A3E1C5D-2B4F-4E8A-9D6C-0F1E2D3C4B5A" Win64="yes">
              <File Id="ovmonctl.exe" Name="ovmonctl.exe" Source="ovmonctl.exe" KeyPath="yes"/>
            </Component>
          </Directory>
        </Directory>
      </Directory>
    </Directory>
    <CustomAction Id="PurgeMonitorData" FileKey="ovmonsvc.exe" ExeCommand="-purge" Execute="deferred"
                  Impersonate="no" Return="ignore"/>
    <InstallExecuteSequence>
      <Custom Action="PurgeMonitorData" Sequence="1950">REMOVE="ALL" AND NOT UPGRADINGPRODUCTCODE</Custom>
    </InstallExecuteSequence>
    <Feature Id="Complete" Level="1">
      <ComponentRef Id="Applet"/>
      <ComponentRef Id="Service"/>
      <ComponentRef Id="Console"/>
      <ComponentRef Id="Installed"/>
    </Feature>
  </Product>
</Wix>
WXS
  (cd "$1" && wixl -a x64 -o "$2" "$2.wxs")
  add_msi_path_and_expand "$2"
}

# What wixl cannot write, added to the built package with msibuild: the Console component's PATH
# entry (appended to the system PATH on install, only that part removed on removal) with the
# actions that write and remove it, and the "#%" (REG_EXPAND_SZ) values wixl escapes as "##%".
add_msi_path_and_expand() {  # msi-path
  local tables
  tables=$(mktemp -d)
  printf 'Environment\tName\tValue\tComponent_\r\ns72\tl255\tL255\ts72\r\nEnvironment\tEnvironment\r\n' >"$tables/Environment.idt"
  printf 'ConsolePath\t=-*PATH\t[~];[INSTALLDIR]\tConsole\r\n' >>"$tables/Environment.idt"
  msiinfo export "$1" InstallExecuteSequence >"$tables/InstallExecuteSequence.idt"
  printf 'RemoveEnvironmentStrings\t\t3300\r\nWriteEnvironmentStrings\t\t5200\r\n' >>"$tables/InstallExecuteSequence.idt"
  msiinfo export "$1" Registry | sed 's/\t##%/\t#%/' >"$tables/Registry.idt"
  msibuild "$1" -i "$tables/Environment.idt" -i "$tables/InstallExecuteSequence.idt" -i "$tables/Registry.idt"
  rm -rf "$tables"
}
