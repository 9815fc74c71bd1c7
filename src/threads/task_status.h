// The life stages shared by work items and worker threads.
#pragma once

// Created -> WaitingToRun (queued) -> Running (taken by a thread) -> Completed, or Canceled at any
// point. Paused only while the pool is paused.
enum class TTaskStatus
{
    Created,
    WaitingToRun,
    Running,
    Paused,
    Completed,
    Canceled
};
