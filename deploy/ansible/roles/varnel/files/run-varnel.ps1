# Runs Varnel.exe once with the command line composed by tasks/command.yml and
# returns its exit code, its output and the lines of its JSON Lines report.
# Each server's RunAs before and after becomes the task's diff; whether the
# task changed anything is decided on the controller from the report's summary.
[CmdletBinding(SupportsShouldProcess)]
param (
    [Parameter(Mandatory)]
    [String[]]
    $Argv,

    [Parameter(Mandatory)]
    [String]
    $Arguments,

    [Parameter(Mandatory)]
    [String]
    $ReportPath
)

$ErrorActionPreference = 'Stop'

# Check mode may only preview. A task marked check_mode without --check gets a
# command line without /whatif, and that one would change the host.
if ($Ansible.CheckMode -and $Argv -notcontains '/whatif') {
    throw 'Check mode starts Varnel.exe only with /whatif; run the play with --check.'
}

# A report left by an earlier run must not pass for this one's.
if (Test-Path -LiteralPath $ReportPath) {
    Remove-Item -LiteralPath $ReportPath -Force -WhatIf:$false
}

$utf8 = New-Object -TypeName System.Text.UTF8Encoding -ArgumentList $false
$info = New-Object -TypeName System.Diagnostics.ProcessStartInfo -ArgumentList $Argv[0], $Arguments
$info.UseShellExecute = $false
$info.CreateNoWindow = $true
$info.WorkingDirectory = [System.IO.Path]::GetDirectoryName($Argv[0])
$info.RedirectStandardOutput = $true
$info.RedirectStandardError = $true
# Its output to a pipe is UTF-8.
$info.StandardOutputEncoding = $utf8
$info.StandardErrorEncoding = $utf8

$process = [System.Diagnostics.Process]::Start($info)
try {
    # Both pipes drain at once, or a full one would stall the program.
    $stdout = $process.StandardOutput.ReadToEndAsync()
    $stderr = $process.StandardError.ReadToEndAsync()
    $process.WaitForExit()
    $rc = $process.ExitCode
    $out = $stdout.Result
    $err = $stderr.Result
}
finally {
    $process.Dispose()
}

$lines = @()
if (Test-Path -LiteralPath $ReportPath) {
    $lines = @([System.IO.File]::ReadAllLines($ReportPath, $utf8) | Where-Object { $_.Trim() })
}

function Format-RunAs {
    param ($Value)
    if ($null -eq $Value) { '(none)' } else { [String]$Value }
}

# What a preview's identity would put in RunAs: the report says what is there
# and whether it would change, the command line what it would change to.
function Get-Target {
    $at = [Array]::IndexOf($Argv, '/identity')
    if ($at -lt 0) { return '(as before the restored run)' }
    switch ($Argv[$at + 1]) {
        'interactive' { 'Interactive User' }
        'launching' { $null }
        default { $Argv[[Array]::IndexOf($Argv, '/user') + 1] }
    }
}
$target = Get-Target

# One line per server whose identity was set, previewed or restored;
# unchanged servers are the context of the diff. The controller parses the
# report itself, so a line that does not parse here only leaves the diff
# without it.
$before = New-Object -TypeName System.Text.StringBuilder
$after = New-Object -TypeName System.Text.StringBuilder
foreach ($line in $lines) {
    try {
        $item = ConvertFrom-Json -InputObject $line
    }
    catch {
        continue
    }
    if ($item.phase -notin @('identity', 'whatif', 'restore') -or $null -eq $item.PSObject.Properties['runAsBefore']) {
        continue
    }
    $server = '{0} ({1})' -f $item.path, $item.progId
    [void]$before.Append(('{0}: {1}' -f $server, (Format-RunAs $item.runAsBefore)) + "`n")
    $afterValue = $item.runAs
    if ($item.phase -eq 'whatif' -and $item.wouldChange) { $afterValue = $target }
    [void]$after.Append(('{0}: {1}' -f $server, (Format-RunAs $afterValue)) + "`n")
}
if ($before.Length -gt 0) {
    $Ansible.Diff = @{
        before = $before.ToString()
        after = $after.ToString()
        before_header = 'RunAs before'
        after_header = $(if ($Ansible.CheckMode) { 'RunAs after (/whatif)' } else { 'RunAs after' })
    }
}

$Ansible.Result = @{
    rc = $rc
    stdout = $out
    stderr = $err
    lines = $lines
}
