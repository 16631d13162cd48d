@echo off
rem Runs the Quillspur monitor for the start-up task: quillspur-task.cmd <job file>
rem The monitor ends only when it cannot start (a job file that is missing,
rem perhaps on a share that is not there yet), and Task Scheduler restarts a
rem task only when the task itself fails to start, so start it again here
rem after a minute.
:again
"%~dp0quillspur.exe" "%~1"
rem ping waits a minute also where no console is there for timeout.
ping -n 61 127.0.0.1 >nul
goto again
