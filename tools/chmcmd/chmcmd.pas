{ Pagewell's help compiler: compiles an HTML Help project file (.hhp) into the .chm file it
  names, with Free Pascal's CHM units. It is built at build time against a copy of
  chmfilewriter.pas carrying chmfilewriter-context.patch, so that the compiled context table
  (#IVB, #STRINGS) names each page as in the project ("topics/<id>.html"), not by the build
  folder's absolute path.

  Usage: chmcmd PROJECT.hhp      Exit code 0 when the file was written, 1 on any error. }
program chmcmd;

{$mode objfpc}{$H+}

uses
  cwstring, Classes, SysUtils, chmfilewriter;

procedure ReportProjectMessage(AProject: TChmProject; AKind: TChmProjectErrorKind; AMessage: String;
  ADetailLevel: Integer = 0);
begin
  if AKind = chmnone then
    WriteLn(AMessage)
  else
    WriteLn(ChmErrorKindText[AKind], ': ', AMessage);
end;

var
  Project: TChmProject;
  Output: TFileStream;
  ProjectFile, OutputFile: String;
begin
  if ParamCount <> 1 then
  begin
    WriteLn(StdErr, 'usage: chmcmd PROJECT.hhp');
    Halt(1);
  end;
  try
    ProjectFile := ExpandFileName(ParamStr(1));
    if not FileExists(ProjectFile) then
      raise Exception.Create('Project file not found: ' + ProjectFile);
    Project := TChmProject.Create;
    try
      Project.OnError := @ReportProjectMessage;
      Project.LoadFromhhp(ProjectFile, False);
      OutputFile := Project.OutputFileName;
      if OutputFile = '' then
        OutputFile := ChangeFileExt(ProjectFile, '.chm')
      else if ExtractFileDrive(OutputFile) + ExtractFilePath(OutputFile) = '' then
        OutputFile := Project.ProjectDir + OutputFile;
      Output := TFileStream.Create(OutputFile, fmCreate);
      try
        try
          Project.WriteChm(Output);
        finally
          Output.Free;
        end;
      except
        DeleteFile(OutputFile);  { never leave a half-written file behind }
        raise;
      end;
    finally
      Project.Free;
    end;
  except
    on E: Exception do
    begin
      WriteLn(StdErr, 'chmcmd: ', E.Message);
      Halt(1);
    end;
  end;
end.
